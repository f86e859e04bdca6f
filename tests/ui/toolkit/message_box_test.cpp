#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "support/qt_printers.h"
#include "ui/toolkit/message_box.h"

namespace varkel {
namespace {

// The real box: Japanese button captions, and Enter answers the default button.
TEST(MessageBoxTest, EnterAnswersTheDefaultButton) {
    struct Case {
        MsgButtons buttons;
        int defaultButton;
        QStringList captions;
        MsgResult answer;
    };
    const Case cases[] = {
        {MsgButtons::OkCancel,
         1,
         {QStringLiteral("OK"), QStringLiteral("キャンセル")},
         MsgResult::Cancel},
        {MsgButtons::OkCancel,
         0,
         {QStringLiteral("OK"), QStringLiteral("キャンセル")},
         MsgResult::Ok},
        {MsgButtons::YesNo,
         1,
         {QStringLiteral("はい(&Y)"), QStringLiteral("いいえ(&N)")},
         MsgResult::No},
    };
    for (const Case& c : cases) {
        QStringList captions;
        QString title;
        QTimer::singleShot(50, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            for (QAbstractButton* b : box->buttons())
                captions << b->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(ShowMessageBox(QStringLiteral("本文"), c.buttons, MsgIcon::Question,
                                 QStringLiteral("題"), c.defaultButton),
                  c.answer);
        captions.sort();
        QStringList expected = c.captions;
        expected.sort();
        EXPECT_EQ(captions, expected);
        EXPECT_EQ(title, QStringLiteral("題"));
    }
}

}  // namespace
}  // namespace varkel
