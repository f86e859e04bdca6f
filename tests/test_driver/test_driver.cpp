// A minimal ODBC 2 driver for the tests. It understands a few commands as SQL text:
//   ROWS n [FAILAT k]     a result of n rows (columns ID INTEGER, NAME VARCHAR); fetching row k
//   fails COLS n [LONGNAME k]   one row of n VARCHAR columns (column k named by 300 letters)
//   WARN text             executed with
//   SQL_SUCCESS_WITH_INFO and one warning record ERROR native [text]   fails with one record
//   ("ERROR 0" fails without any record) ERRORS n:t|n:t ...    fails with several records RETURN
//   code           returns that raw code and posts nothing UPDATE n              a statement that
//   affected n rows FAILCOMMIT native [text]  the next commit fails with that record
//   WARNCOMMIT text       the next commit succeeds with that warning
//   WAIT                  the execution waits until SQLCancel, then fails with S1008
//   ROWS n WAITAT k       as ROWS n, the fetch that reaches row k waits so
// Anything else succeeds without a result. Connection string keys: LOG=path (every statement,
// commit and rollback is appended to it), DIALOG=1 (SQL_DRIVER_COMPLETE fails with IM008),
// DENY=1 (the connect itself fails with 28000, native 1045), CONNECTRETURN=code (the connect
// returns that raw code), AUTOCOMMITFAIL=1 (switching autocommit off fails), BUSYDISCONNECT=1 (a
// disconnect with uncommitted work fails with 25000 until it is rolled back). The completed
// string is the input.

#include <sql.h>
#include <sqlext.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Diag {
    std::string state;
    SQLINTEGER native = 0;
    std::string text;
};

struct Env {
    std::vector<Diag> diags;
};

struct Dbc {
    Env* env = nullptr;
    std::vector<Diag> diags;
    bool connected = false;
    std::string log;
    bool failCommit = false;
    Diag commitError;
    bool warnCommit = false;
    std::string commitWarning;
    bool autocommitFails = false;
    bool busyDisconnect = false;
    bool pendingWork = false;
};

struct Binding {
    char* target = nullptr;
    SQLLEN length = 0;
    SQLLEN* indicator = nullptr;
};

struct Stmt {
    Dbc* dbc = nullptr;
    std::vector<Diag> diags;
    int columns = 0;
    long rows = 0;
    long next = 0;  // rows handed out so far
    long failAt = -1;
    bool failBlockOnly = false;
    long rowCount = 0;
    int longName = 0;
    SQLULEN rowset = 1;
    std::map<int, Binding> bindings;
    long waitAt = -1;
    // A call that waits for SQLCancel from another thread.
    std::mutex mutex;
    std::condition_variable cancelled;
    bool waiting = false;
    bool cancel = false;
};

void Log(const Dbc* dbc, const std::string& line) {
    if (!dbc || dbc->log.empty()) return;
    if (FILE* f = std::fopen(dbc->log.c_str(), "a")) {
        std::fprintf(f, "%s\n", line.c_str());
        std::fclose(f);
    }
}

std::string Text(SQLCHAR* text, SQLINTEGER length) {
    if (!text) return {};
    if (length == SQL_NTS) return reinterpret_cast<char*>(text);
    return std::string(reinterpret_cast<char*>(text), static_cast<size_t>(length));
}

std::map<std::string, std::string> ParseKeys(const std::string& in) {
    std::map<std::string, std::string> keys;
    std::stringstream stream(in);
    std::string part;
    while (std::getline(stream, part, ';')) {
        const auto eq = part.find('=');
        if (eq == std::string::npos) continue;
        std::string key = part.substr(0, eq);
        for (char& c : key)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        keys[key] = part.substr(eq + 1);
    }
    return keys;
}

std::string Cell(const Stmt* s, long row, int column) {
    if (column == 1) return std::to_string(row);
    if (s->columns == 2) return "row " + std::to_string(row);
    return "c" + std::to_string(column) + "_" + std::to_string(row);
}

SQLRETURN CopyOut(const std::string& value, char* target, SQLLEN length, SQLLEN* indicator) {
    if (indicator) *indicator = static_cast<SQLLEN>(value.size());
    if (!target || length <= 0) return SQL_SUCCESS_WITH_INFO;
    const size_t n = std::min(value.size(), static_cast<size_t>(length - 1));
    std::memcpy(target, value.data(), n);
    target[n] = '\0';
    return n < value.size() ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

// Waits until SQLCancel reaches the statement; the call then fails as cancelled.
SQLRETURN WaitForCancel(Stmt* s) {
    {
        std::unique_lock lock(s->mutex);
        s->waiting = true;
        s->cancel = false;
        s->cancelled.wait(lock, [s] { return s->cancel; });
        s->waiting = false;
    }
    s->waitAt = -1;
    s->diags.push_back({"S1008", 0, "[VarkelTest]Operation canceled"});
    return SQL_ERROR;
}

SQLRETURN FailFetch(Stmt* s) {
    s->diags.push_back(
        {"S1000", 0, "[VarkelTest]fetch failed at row " + std::to_string(s->failAt)});
    return SQL_ERROR;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLAllocEnv(SQLHENV* env) {
    *env = new Env;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeEnv(SQLHENV env) {
    delete static_cast<Env*>(env);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLAllocConnect(SQLHENV env, SQLHDBC* dbc) {
    auto* d = new Dbc;
    d->env = static_cast<Env*>(env);
    *dbc = d;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeConnect(SQLHDBC dbc) {
    delete static_cast<Dbc*>(dbc);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC hdbc, SQLHWND, SQLCHAR* in, SQLSMALLINT inLength,
                                   SQLCHAR* out, SQLSMALLINT outMax, SQLSMALLINT* outLength,
                                   SQLUSMALLINT completion) {
    auto* d = static_cast<Dbc*>(hdbc);
    const std::string text = Text(in, inLength);
    const auto keys = ParseKeys(text);
    if (keys.count("LOG")) d->log = keys.at("LOG");
    if (keys.count("DIALOG") && completion != SQL_DRIVER_NOPROMPT) {
        d->diags.push_back({"IM008", 0, "[VarkelTest]Dialog failed"});
        return SQL_ERROR;
    }
    if (keys.count("CONNECTRETURN"))
        return static_cast<SQLRETURN>(std::stoi(keys.at("CONNECTRETURN")));
    d->autocommitFails = keys.count("AUTOCOMMITFAIL") != 0;
    d->busyDisconnect = keys.count("BUSYDISCONNECT") != 0;
    if (keys.count("DENY")) {
        d->diags.push_back({"28000", 1045, "[VarkelTest]Access denied for user"});
        return SQL_ERROR;
    }
    if (out && outMax > 0) {
        const size_t n = std::min(text.size(), static_cast<size_t>(outMax - 1));
        std::memcpy(out, text.data(), n);
        out[n] = '\0';
    }
    if (outLength) *outLength = static_cast<SQLSMALLINT>(text.size());
    d->connected = true;
    Log(d, "CONNECT");
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC dbc) {
    auto* d = static_cast<Dbc*>(dbc);
    if (d->busyDisconnect && d->pendingWork) {
        Log(d, "DISCONNECT REFUSED");
        d->diags.push_back({"25000", 0, "[VarkelTest]Invalid transaction state"});
        return SQL_ERROR;
    }
    Log(d, "DISCONNECT");
    d->connected = false;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetConnectOption(SQLHDBC dbc, SQLUSMALLINT option, SQLULEN value) {
    auto* d = static_cast<Dbc*>(dbc);
    if (option == SQL_AUTOCOMMIT) {
        Log(d, "AUTOCOMMIT " + std::to_string(value));
        if (d->autocommitFails) {
            d->diags.push_back({"S1C00", 0, "[VarkelTest]Autocommit cannot be switched"});
            return SQL_ERROR;
        }
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetInfo(SQLHDBC, SQLUSMALLINT type, SQLPOINTER value, SQLSMALLINT max,
                             SQLSMALLINT* length) {
    auto text = [&](const char* s) {
        if (value && max > 0) {
            std::strncpy(static_cast<char*>(value), s, static_cast<size_t>(max - 1));
            static_cast<char*>(value)[max - 1] = '\0';
        }
        if (length) *length = static_cast<SQLSMALLINT>(std::strlen(s));
        return SQL_SUCCESS;
    };
    auto number = [&](SQLUSMALLINT n) {
        if (value) *static_cast<SQLUSMALLINT*>(value) = n;
        if (length) *length = sizeof n;
        return SQL_SUCCESS;
    };
    switch (type) {
        case SQL_DRIVER_ODBC_VER:
            return text("02.50");
        case SQL_DRIVER_NAME:
            return text("libvarkel_test_driver.so");
        case SQL_DRIVER_VER:
            return text("01.00.0000");
        case SQL_CURSOR_COMMIT_BEHAVIOR:
        case SQL_CURSOR_ROLLBACK_BEHAVIOR:
            return number(SQL_CB_PRESERVE);
        case SQL_TXN_CAPABLE:
            return number(SQL_TC_ALL);
        case SQL_GETDATA_EXTENSIONS:
            if (value) *static_cast<SQLUINTEGER*>(value) = SQL_GD_ANY_COLUMN | SQL_GD_BLOCK;
            return SQL_SUCCESS;
        default:
            return text("");
    }
}

SQLRETURN SQL_API SQLTransact(SQLHENV, SQLHDBC dbc, SQLUSMALLINT type) {
    auto* d = static_cast<Dbc*>(dbc);
    Log(d, type == SQL_COMMIT ? "COMMIT" : "ROLLBACK");
    if (type == SQL_COMMIT && d->failCommit) {
        d->failCommit = false;
        d->diags.push_back(d->commitError);
        return SQL_ERROR;
    }
    d->pendingWork = false;
    if (type == SQL_COMMIT && d->warnCommit) {
        d->warnCommit = false;
        d->diags.push_back({"01000", 0, d->commitWarning});
        return SQL_SUCCESS_WITH_INFO;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLAllocStmt(SQLHDBC dbc, SQLHSTMT* stmt) {
    auto* s = new Stmt;
    s->dbc = static_cast<Dbc*>(dbc);
    *stmt = s;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT stmt, SQLUSMALLINT option) {
    auto* s = static_cast<Stmt*>(stmt);
    if (option == SQL_DROP) {
        delete s;
    } else if (option == SQL_CLOSE) {
        s->columns = 0;
        s->rows = s->next = 0;
    } else if (option == SQL_UNBIND) {
        s->bindings.clear();
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLSetStmtOption(SQLHSTMT stmt, SQLUSMALLINT option, SQLULEN value) {
    if (option == SQL_ROWSET_SIZE) static_cast<Stmt*>(stmt)->rowset = value;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLExecDirect(SQLHSTMT stmt, SQLCHAR* text, SQLINTEGER length) {
    auto* s = static_cast<Stmt*>(stmt);
    const std::string sql = Text(text, length);
    Log(s->dbc, "EXEC " + sql);
    s->dbc->pendingWork = true;
    std::istringstream words(sql);
    std::string command;
    words >> command;
    s->columns = 0;
    s->rowCount = 0;
    if (command == "ROWS") {
        s->columns = 2;
        words >> s->rows;
        std::string option;
        s->failBlockOnly = false;
        s->waitAt = -1;
        while (words >> option) {
            if (option == "FAILAT") words >> s->failAt;
            if (option == "WAITAT") words >> s->waitAt;
            if (option == "BLOCKONLY") s->failBlockOnly = true;
        }
        s->next = 0;
    } else if (command == "COLS") {
        words >> s->columns;
        std::string option;
        if (words >> option && option == "LONGNAME") words >> s->longName;
        s->rows = 1;
        s->next = 0;
    } else if (command == "WARN") {
        std::string rest;
        std::getline(words, rest);
        s->diags.push_back({"01000", 0, rest.empty() ? rest : rest.substr(1)});
        return SQL_SUCCESS_WITH_INFO;
    } else if (command == "ERROR") {
        Diag d{"S1000", 0, {}};
        words >> d.native;
        std::getline(words, d.text);
        if (!d.text.empty()) d.text.erase(0, 1);
        if (d.native != 0 || !d.text.empty()) s->diags.push_back(d);
        return SQL_ERROR;
    } else if (command == "ERRORS") {
        std::string item;
        while (words >> item) {
            const auto colon = item.find(':');
            s->diags.push_back(
                {"S1000", std::atoi(item.substr(0, colon).c_str()), item.substr(colon + 1)});
        }
        return SQL_ERROR;
    } else if (command == "RETURN") {
        int code = 0;
        words >> code;
        return static_cast<SQLRETURN>(code);
    } else if (command == "FAILCOMMIT") {
        Diag d{"23000", 0, {}};
        words >> d.native;
        std::getline(words, d.text);
        if (!d.text.empty()) d.text.erase(0, 1);
        s->dbc->failCommit = true;
        s->dbc->commitError = d;
    } else if (command == "WARNCOMMIT") {
        std::getline(words, s->dbc->commitWarning);
        if (!s->dbc->commitWarning.empty()) s->dbc->commitWarning.erase(0, 1);
        s->dbc->warnCommit = true;
    } else if (command == "WAIT") {
        return WaitForCancel(s);
    } else if (command == "UPDATE") {
        words >> s->rowCount;
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT stmt, SQLSMALLINT* count) {
    *count = static_cast<SQLSMALLINT>(static_cast<Stmt*>(stmt)->columns);
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLRowCount(SQLHSTMT stmt, SQLLEN* count) {
    *count = static_cast<Stmt*>(stmt)->rowCount;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLDescribeCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLCHAR* name, SQLSMALLINT max,
                                 SQLSMALLINT* nameLength, SQLSMALLINT* type, SQLULEN* size,
                                 SQLSMALLINT* digits, SQLSMALLINT* nullable) {
    auto* s = static_cast<Stmt*>(stmt);
    const std::string n = column == s->longName ? std::string(300, 'L')
                          : column == 1         ? "ID"
                          : s->columns == 2     ? "NAME"
                                                : "C" + std::to_string(column);
    SQLLEN length = 0;
    const SQLRETURN cut = CopyOut(n, reinterpret_cast<char*>(name), max, &length);
    if (nameLength) *nameLength = static_cast<SQLSMALLINT>(length);
    if (type) *type = column == 1 ? SQL_INTEGER : SQL_VARCHAR;
    if (size) *size = column == 1 ? 10 : 255;
    if (digits) *digits = 0;
    if (nullable) *nullable = SQL_NULLABLE;
    if (cut != SQL_SUCCESS)
        s->diags.push_back({"01004", 0, "[VarkelTest]String data, right truncated"});
    return cut;
}

SQLRETURN SQL_API SQLBindCol(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT, SQLPOINTER target,
                             SQLLEN length, SQLLEN* indicator) {
    static_cast<Stmt*>(stmt)->bindings[column] = {static_cast<char*>(target), length, indicator};
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLFetch(SQLHSTMT stmt) {
    auto* s = static_cast<Stmt*>(stmt);
    if (s->next >= s->rows) return SQL_NO_DATA_FOUND;
    if (s->next + 1 == s->failAt && !s->failBlockOnly) return FailFetch(s);
    if (s->next + 1 == s->waitAt) return WaitForCancel(s);
    s->next += 1;
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLGetData(SQLHSTMT stmt, SQLUSMALLINT column, SQLSMALLINT, SQLPOINTER target,
                             SQLLEN length, SQLLEN* indicator) {
    auto* s = static_cast<Stmt*>(stmt);
    return CopyOut(Cell(s, s->next, column), static_cast<char*>(target), length, indicator);
}

#ifndef VARKEL_TEST_DRIVER_NO_BLOCK_FETCH
SQLRETURN SQL_API SQLExtendedFetch(SQLHSTMT stmt, SQLUSMALLINT, SQLLEN, SQLULEN* fetched,
                                   SQLUSMALLINT* status) {
    auto* s = static_cast<Stmt*>(stmt);
    if (fetched) *fetched = 0;
    if (s->next >= s->rows) return SQL_NO_DATA_FOUND;
    const long count = std::min<long>(static_cast<long>(s->rowset), s->rows - s->next);
    // The driver manager serves a single-row SQLFetch through this too, with a rowset of one.
    const bool failing = !s->failBlockOnly || s->rowset > 1;
    if (failing && s->failAt > s->next && s->failAt <= s->next + count) return FailFetch(s);
    if (s->waitAt > s->next && s->waitAt <= s->next + count) return WaitForCancel(s);
    for (long r = 0; r < count; ++r) {
        for (auto& [column, b] : s->bindings) {
            if (column > s->columns) continue;
            CopyOut(Cell(s, s->next + r + 1, column), b.target ? b.target + r * b.length : nullptr,
                    b.length, b.indicator ? b.indicator + r : nullptr);
        }
        if (status) status[r] = SQL_ROW_SUCCESS;
    }
    s->next += count;
    if (fetched) *fetched = static_cast<SQLULEN>(count);
    return SQL_SUCCESS;
}
#endif

SQLRETURN SQL_API SQLCancel(SQLHSTMT stmt) {
    auto* s = static_cast<Stmt*>(stmt);
    std::lock_guard lock(s->mutex);
    if (s->waiting) {
        s->cancel = true;
        s->cancelled.notify_all();
    }
    return SQL_SUCCESS;
}

SQLRETURN SQL_API SQLError(SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt, SQLCHAR* state,
                           SQLINTEGER* native, SQLCHAR* text, SQLSMALLINT max,
                           SQLSMALLINT* length) {
    std::vector<Diag>* diags = stmt  ? &static_cast<Stmt*>(stmt)->diags
                               : dbc ? &static_cast<Dbc*>(dbc)->diags
                               : env ? &static_cast<Env*>(env)->diags
                                     : nullptr;
    if (!diags || diags->empty()) return SQL_NO_DATA_FOUND;
    const Diag d = diags->front();
    diags->erase(diags->begin());
    if (state) std::memcpy(state, d.state.c_str(), 6);
    if (native) *native = d.native;
    SQLLEN n = 0;
    CopyOut(d.text, reinterpret_cast<char*>(text), max, &n);
    if (length) *length = static_cast<SQLSMALLINT>(n);
    return SQL_SUCCESS;
}

}  // extern "C"
