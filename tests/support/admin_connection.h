#pragma once

#include <QString>
#include <QStringList>

namespace varkel::test {

// A plain autocommit connection with which a fixture creates, fills and checks its database
// behind the back of the program under test.
class AdminConnection {
  public:
    explicit AdminConnection(const QString& connectString);
    ~AdminConnection();
    AdminConnection(const AdminConnection&) = delete;
    AdminConnection& operator=(const AdminConnection&) = delete;

    bool ok() const { return dbc_ != nullptr; }
    QString error() const { return error_; }
    // Runs a statement; fails the test (and returns false) when it fails, unless `mayFail`.
    bool exec(const QString& sql, bool mayFail = false);
    // The rows of a query, each row's values joined by "|" (NULL as "<null>").
    QStringList rows(const QString& sql);
    QString scalar(const QString& sql) { return rows(sql).value(0); }

  private:
    QString diagnostics(void* stmt);
    void* env_ = nullptr;
    void* dbc_ = nullptr;
    QString error_;
};

}  // namespace varkel::test
