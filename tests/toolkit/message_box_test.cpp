#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "support/qt_printers.h"
#include "toolkit/message_box.h"

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

// Backing out of a box never means yes: Esc and the frame's close answer the safe button of
// every button set, while Enter answers the default button (here the first, the unsafe one).
TEST(MessageBoxTest, EscAndTheFrameAnswerTheSafeButton) {
    enum class Way { Enter, Esc, Frame };
    struct Case {
        MsgButtons buttons;
        MsgResult defaultAnswer, safeAnswer;
    };
    const Case cases[] = {
        {MsgButtons::Ok, MsgResult::Ok, MsgResult::Ok},
        {MsgButtons::OkCancel, MsgResult::Ok, MsgResult::Cancel},
        {MsgButtons::YesNo, MsgResult::Yes, MsgResult::No},
        {MsgButtons::YesNoCancel, MsgResult::Yes, MsgResult::Cancel},
        {MsgButtons::RetryCancel, MsgResult::Retry, MsgResult::Cancel},
    };
    for (const Case& c : cases) {
        for (const Way way : {Way::Enter, Way::Esc, Way::Frame}) {
            bool shown = false;
            QTimer::singleShot(50, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                ASSERT_NE(box, nullptr);
                shown = true;
                if (way == Way::Frame)
                    box->close();
                else
                    QTest::keyClick(box, way == Way::Enter ? Qt::Key_Return : Qt::Key_Escape);
            });
            const MsgResult answer =
                ShowMessageBox(QStringLiteral("表示のテンプレートを削除してよろしいですか？"),
                               c.buttons, MsgIcon::Question, QStringLiteral("題"), 0);
            EXPECT_TRUE(shown);
            EXPECT_EQ(answer, way == Way::Enter ? c.defaultAnswer : c.safeAnswer)
                << "buttons " << static_cast<int>(c.buttons) << ", way " << static_cast<int>(way);
        }
    }
}

}  // namespace
}  // namespace varkel
