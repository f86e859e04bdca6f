#pragma once

#include <QHash>
#include <QIcon>
#include <QStatusBar>
#include <QToolBar>

class QAction;
class QLabel;
class QToolButton;

namespace varkel {

// A toolbar whose buttons are found by key: enabled, pressed, tooltip and image per key.
class KeyedToolBar : public QToolBar {
    Q_OBJECT
  public:
    explicit KeyedToolBar(QWidget* parent = nullptr);
    QAction* addKeyedButton(const QString& key, const QIcon& icon, const QString& tooltip,
                            bool checkable = false);
    QAction* button(const QString& key) const { return buttons_.value(key); }
    void setButtonEnabled(const QString& key, bool enabled);
    void setButtonPressed(const QString& key, bool pressed);
    bool buttonEnabled(const QString& key) const;
    bool buttonPressed(const QString& key) const;

  signals:
    // A click on a keyed button; the receiver dispatches on the key.
    void buttonClicked(const QString& key);

  private:
    QHash<QString, QAction*> buttons_;
};

// A status bar of panels found by key.
class KeyedStatusBar : public QStatusBar {
    Q_OBJECT
  public:
    explicit KeyedStatusBar(QWidget* parent = nullptr);
    void addPanel(const QString& key, int stretch = 0);
    void setPanelText(const QString& key, const QString& text);
    QString panelText(const QString& key) const;

  private:
    QHash<QString, QLabel*> panels_;
};

}  // namespace varkel
