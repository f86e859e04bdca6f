#pragma once

#include <QObject>
#include <QPointer>

namespace varkel {

// The one lock of the commands that execute statements or query the catalog. Whatever owns the
// session's cursor for a while (a script run, a result fill, a resumed fill, a save of a query's
// rows, an import) holds it; the main window disables those commands while it is held.
class CommandLock : public QObject {
    Q_OBJECT
  public:
    // Held while alive; holds are counted, so nested owners release in any order.
    class Hold {
      public:
        Hold() = default;
        explicit Hold(CommandLock* lock);
        Hold(Hold&& other) noexcept;
        Hold& operator=(Hold&& other) noexcept;
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold();
        void release();
        bool holding() const { return lock_ != nullptr; }

      private:
        QPointer<CommandLock> lock_;
    };

    using QObject::QObject;
    bool locked() const { return holds_ > 0; }
    [[nodiscard]] Hold hold() { return Hold(this); }
    // The stop command ("SQL中断"), enabled while the lock is held: whatever holds it stops as
    // its own Cancel would.
    void requestStop() {
        if (locked()) emit stopRequested();
    }

  signals:
    // Emitted when the first hold is taken (true) and when the last one is released (false).
    void changed(bool locked);
    void stopRequested();

  private:
    void acquire();
    void releaseOne();
    int holds_ = 0;
};

}  // namespace varkel
