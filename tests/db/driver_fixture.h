#pragma once

#include <gtest/gtest.h>

#include "db/db_test_util.h"
#include "support/message_recorder.h"
#include "support/odbc_config.h"

namespace varkel::test {

// A session connected to the project's test driver, which logs what reaches it to log().
class DriverTest : public ::testing::Test {
  protected:
    void connect(const QString& driver = OdbcConfig::testDriverName(), const QString& keys = {}) {
        DbInit(s_);
        QString user, password;
        QString connectString = QStringLiteral("DRIVER=%1;LOG=%2;%3").arg(driver, log(), keys);
        ASSERT_EQ(DbConnect(s_, 0, {}, user, password, {}, connectString), 0)
            << boxes_.texts().join(u'\n').toStdString();
    }
    void TearDown() override { DbDisconnect(s_); }
    QString log() const { return config_.path(QStringLiteral("driver.log")); }

    OdbcConfig config_;
    MessageRecorder boxes_;
    DbSession s_;
};

}  // namespace varkel::test
