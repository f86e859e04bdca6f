#include "db/odbc_comm.h"

#include <algorithm>

#include "db/api_call.h"
#include "db/driver_worker.h"
#include "db/odbc_internal.h"
#include "db/odbc_lib.h"
#include "toolkit/busy_pointer.h"
#include "toolkit/message_box.h"
#include "toolkit/yield.h"

namespace varkel {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

void Exclaim(const QString& text, const QString& title) {
    ShowMessageBox(text, MsgButtons::Ok, MsgIcon::Exclamation, title);
}

// After a call: a connection that the call found gone is closed, and the session is then not
// connected; the status and the driver's text stay for the caller to report.
DbStatus Checked(DbSession& s, DbStatus status) {
    if (s.ConnectionLost) {
        AbandonConnection(s);
        if (s.Connected == 1) {
            ReleaseEnvironment(s);
            s.Connected = 0;
            s.ConnectionId = 0;
        }
    }
    return status;
}

// While a call is out nothing else reaches the driver: an event handled during the wait finds
// the session busy. What the worker does meanwhile for the caller (rows read ahead, a statement
// posted) is waited for first, so calls keep their order.
bool Refused(DbSession& s) {
    if (!DbCallOut(s)) {
        const bool givenUp = s.GivenUp;
        SettlePosted(s);
        // The connection was given up while that was waited for: nothing more reaches it.
        if (s.GivenUp && !givenUp) {
            CheckReturn(s, DriverWorker::kAbandoned);
            return true;
        }
        return false;
    }
    s.LastCode = DriverWorker::kRefused;
    s.LastMessage = QStringLiteral("[OdbcLib]前のＤＢ処理がまだ終わっていません。");
    return true;
}

// Drains an enumeration that returns 0 per row; 0 when it ended with 100, else its status. A
// catalog of many thousand rows keeps the windows painting while it is read.
template <typename Step>
DbStatus Drain(Step step) {
    DbStatus status = 0;
    PaintYield paint;
    while ((status = step()) == 0)
        paint();
    return status == 100 ? 0 : status;
}

}  // namespace

void DbInit(DbSession& s) {
    if (AllocEnvironment(s) != 0)
        Exclaim(QStringLiteral("ＯＤＢＣの初期化に失敗しました。"), QStringLiteral("INIT エラー"));
}

DbStatus ListDataSources(DbSession& s, int maximum, int& count, QStringList& names,
                         QStringList& descriptions) {
    BusyPointer busy;
    count = 0;
    names.clear();
    descriptions.clear();
    QString name;
    QString description;
    return Drain([&] {
        const DbStatus status = NextDataSource(s, name, description);
        if (status == 0 && count < maximum) {  // beyond the maximum: read on, keep nothing
            names.append(name);
            descriptions.append(description);
            ++count;
        }
        return status;
    });
}

DbStatus ListDrivers(DbSession& s, int maximum, int& count, QStringList& descriptions) {
    BusyPointer busy;
    count = 0;
    descriptions.clear();
    QString description;
    QString attributes;
    return Drain([&] {
        const DbStatus status = NextDriver(s, description, attributes);
        if (status == 0 && count < maximum) {
            descriptions.append(description);
            ++count;
        }
        return status;
    });
}

DbStatus ListTables(DbSession& s, const QString& owner, CatalogObjects& tables,
                    CatalogObjects& views, CatalogObjects& others) {
    if (Refused(s)) return s.LastCode;
    BusyPointer busy;
    tables.clear();
    views.clear();
    others.clear();
    QString type;
    QString name;
    ObjectOwner where;
    return Checked(s, Drain([&] {
                       const DbStatus step = NextTable(s, QStringLiteral("TABLE,VIEW,SYNONYM"),
                                                       owner, type, name, where);
                       if (step == 0) {
                           CatalogObjects& list = type == QStringLiteral("TABLE")  ? tables
                                                  : type == QStringLiteral("VIEW") ? views
                                                                                   : others;
                           list.names.append(name);
                           list.owners.append(where);
                       }
                       return step;
                   }));
}

DbStatus ListTables(DbSession& s, const QString& owner, int& tableCount, QStringList& tables,
                    int& viewCount, QStringList& views, int& otherCount, QStringList& others) {
    CatalogObjects t, v, o;
    const DbStatus status = ListTables(s, owner, t, v, o);
    tables = t.names;
    views = v.names;
    others = o.names;
    tableCount = t.count();
    viewCount = v.count();
    otherCount = o.count();
    return status;
}

DbStatus ListColumns(DbSession& s, const ObjectOwner& where, const QString& table, int maximum,
                     int& count, QStringList& names, QStringList& typeTexts) {
    if (Refused(s)) return s.LastCode;
    BusyPointer busy;
    count = 0;
    names.clear();
    typeTexts.clear();
    QString tableName;
    QString column;
    QString type;
    return Checked(s, Drain([&] {
                       const DbStatus status = NextColumn(s, where, table, tableName, column, type);
                       // "_" is a pattern character: A_B also matches AXB, whose columns are not
                       // asked for.
                       if (status == 0 && tableName == table && count < maximum) {
                           names.append(column);
                           typeTexts.append(type);
                           ++count;
                       }
                       return status;
                   }));
}

DbStatus ListColumns(DbSession& s, const QString& owner, const QString& table, int maximum,
                     int& count, QStringList& names, QStringList& typeTexts) {
    return ListColumns(s, ObjectOwner{QString(), owner}, table, maximum, count, names, typeTexts);
}

namespace {

struct KeyPart {
    QString column;
    std::int16_t position = 0;
};

struct KeyIndex {
    QString name;
    QList<KeyPart> parts;
};

QStringList SortedColumns(const QList<KeyPart>& parts) {
    QStringList columns;
    for (const KeyPart& part : parts)
        columns << part.column;
    columns.sort();
    return columns;
}

}  // namespace

DbStatus MarkKeyColumns(DbSession& s, const ObjectOwner& where, const QString& table,
                        int columnCount, const QStringList& names,
                        std::vector<std::int16_t>& positions) {
    BusyPointer busy;
    if (Refused(s)) return s.LastCode;
    if (static_cast<int>(positions.size()) < columnCount)
        positions.resize(static_cast<size_t>(columnCount), 0);
    QString column, keyName, indexName;
    std::int16_t position = 0;
    // The primary key's columns. A driver without primary keys (or failing to list them) leaves
    // the unique indexes alone to decide.
    KeyIndex primary;
    const DbStatus keys = Drain([&] {
        const DbStatus status = NextPrimaryKeyColumn(s, where, table, column, position, keyName);
        if (status == 0) {
            primary.name = keyName;
            primary.parts << KeyPart{column, position};
        }
        return status;
    });
    if (s.ConnectionLost) return Checked(s, keys);
    QList<KeyIndex> indexes;
    const DbStatus status = Drain([&] {
        const DbStatus step = NextKeyColumn(s, where, table, column, position, indexName);
        if (step == 0) {
            if (indexes.isEmpty() || indexes.last().name != indexName)
                indexes << KeyIndex{indexName, {}};
            indexes.last().parts << KeyPart{column, position};
        }
        return step;
    });
    // The positions come from one index: the primary key's own (some drivers number the key's
    // columns by their place in the table, the index numbers them right), else the first one.
    const KeyIndex* chosen = indexes.isEmpty() ? nullptr : &indexes.first();
    if (!primary.parts.isEmpty()) {
        chosen = &primary;
        for (const KeyIndex& index : indexes) {
            if ((!primary.name.isEmpty() && index.name == primary.name) ||
                SortedColumns(index.parts) == SortedColumns(primary.parts)) {
                chosen = &index;
                break;
            }
        }
    }
    if (chosen) {
        const int n = std::min(columnCount, static_cast<int>(names.size()));
        for (const KeyPart& part : chosen->parts) {
            for (int i = 0; i < n; ++i) {
                if (names[i] == part.column) {
                    positions[static_cast<size_t>(i)] = part.position;
                    break;
                }
            }
        }
    }
    return Checked(s, status);
}

DbStatus MarkKeyColumns(DbSession& s, const QString& owner, const QString& table, int columnCount,
                        const QStringList& names, std::vector<std::int16_t>& positions) {
    return MarkKeyColumns(s, ObjectOwner{QString(), owner}, table, columnCount, names, positions);
}

bool IsConnected(const DbSession& s) {
    return s.Connected == 1;
}

int DbConnect(DbSession& s, std::uintptr_t mainWindow, const QString& dataSource, QString& userId,
              QString& password, const QString& driver, QString& connectString) {
    const QString title = QStringLiteral("CONNECT エラー");
    if (s.Connected == 1) {
        Exclaim(QStringLiteral("ＤＢは既に接続されています。"), title);
        return -99;
    }
    ReleaseEnvironment(s);
    if (AllocEnvironment(s) != 0) {
        Exclaim(QStringLiteral("ＯＤＢＣの初期化に失敗しました。"), title);
        return -99;
    }
    DbStatus status = 0;
    {
        BusyPointer busy;
        status = OpenConnection(s, mainWindow, dataSource, userId, password, driver, connectString);
    }
    if (status != 0) {
        const QString message = TakeLastMessage(s);
        Exclaim(
            QString::number(status) + QStringLiteral(":ＤＢ接続に失敗しました。") + kCrLf + message,
            title);
        return -99;
    }
    s.Connected = 1;
    s.ConnectionId = ++s.LastConnectionId;
    return 0;
}

int DbDisconnect(DbSession& s) {
    if (s.Connected == 0) return 0;
    if (Refused(s)) return -99;
    DbStatus commit = 0;
    const int result = CloseConnection(s, &commit) != 0 ? -99 : 0;
    // The work left open was committed by the disconnect; when that failed, the user must know
    // that it is lost.
    if (commit != 0) ShowDbError(s, commit, QStringLiteral("COMMIT エラー"));
    ReleaseEnvironment(s);
    s.Connected = 0;
    return result;
}

DbStatus DbCommit(DbSession& s) {
    if (Refused(s)) return s.LastCode;
    const DbStatus status = Checked(s, CommitWork(s));
    if (status != 0) ShowDbError(s, status, QStringLiteral("COMMIT エラー"));
    return status;
}

DbStatus DbRollback(DbSession& s) {
    if (Refused(s)) return s.LastCode;
    const DbStatus status = Checked(s, RollbackWork(s));
    if (status != 0) ShowDbError(s, status, QStringLiteral("ROLLBACK エラー"));
    return status;
}

DbStatus DbExecute(DbSession& s, const QString& sql) {
    if (Refused(s)) return s.LastCode;
    s.LastRowCount = 0;
    s.LastColumnCount = 0;
    BusyPointer busy;
    return Checked(s, ExecStatement(s, sql, s.LastRowCount, s.LastColumnCount));
}

DbStatus DbExecuteFill(DbSession& s, const QString& sql) {
    if (Refused(s)) return s.LastCode;
    s.LastRowCount = 0;
    s.LastColumnCount = 0;
    BusyPointer busy;
    return Checked(s, ExecStatement(s, sql, s.LastRowCount, s.LastColumnCount, ExecMode::Fill));
}

DbStatus DbExecuteStreaming(DbSession& s, const QString& sql) {
    if (Refused(s)) return s.LastCode;
    s.LastRowCount = 0;
    s.LastColumnCount = 0;
    BusyPointer busy;
    return Checked(s, ExecStatement(s, sql, s.LastRowCount, s.LastColumnCount, ExecMode::Stream));
}

void DbExecutePost(DbSession& s, const QString& sql) {
    if (Refused(s)) {
        s.Posted = true;
        s.PostedOut = false;
        s.PostedStatus = s.LastCode;
        return;
    }
    s.LastRowCount = 0;
    s.LastColumnCount = 0;
    PostStatement(s, sql);
}

DbStatus DbExecuteCollect(DbSession& s) {
    return Checked(s, CollectStatement(s));
}

DbStatus DbFetch(DbSession& s, QStringList& values, int singleRow) {
    if (Refused(s)) return s.LastCode;
    BusyPointer busy;
    return Checked(s, singleRow != 0 ? FetchRow(s, values) : FetchRowBlock(s, values));
}

DbStatus DbFetchWhole(DbSession& s, QStringList& values) {
    if (Refused(s)) return s.LastCode;
    BusyPointer busy;
    return Checked(s, FetchRowWhole(s, values));
}

DbStatus DbFetchWholeInBlocks(DbSession& s, QStringList& values) {
    BusyPointer busy;
    return Checked(s, FetchRowBlockWhole(s, values));
}

void CloseCursor(DbSession& s) {
    if (Refused(s)) return;
    DropCursor(s);
}

std::uint64_t DbConnectionId(const DbSession& s) {
    return s.Connected == 1 ? s.ConnectionId : 0;
}

std::uint64_t DbCursorId(const DbSession& s) {
    return s.CursorOpen == 1 ? s.CursorId : 0;
}

QString LastDbMessage(const DbSession& s) {
    return PeekLastMessage(s);
}

QString LastDbWarning(const DbSession& s) {
    return s.LastWarning;
}

bool DbCallOut(const DbSession& s) {
    return s.Worker && s.Worker->busy();
}

bool DbCancel(DbSession& s) {
    return s.Worker && s.Worker->cancel();
}

bool DbAbandon(DbSession& s) {
    if (s.Connected != 1 || !GiveUpConnection(s)) return false;
    s.Connected = 0;
    s.ConnectionId = 0;
    return true;
}

bool DbCanAbandon(const DbSession& s) {
    return s.Connected == 1 && CanGiveUpConnection(s);
}

bool DbCommitOut(const DbSession& s) {
    return s.CommitOut;
}

bool DbCallStopped(const DbSession& s) {
    return s.Worker && s.Worker->stopped();
}

std::uint64_t DbFailureRollbacks(const DbSession& s) {
    return s.FailureRollbacks;
}

bool DbRunsStatementsTogether(const DbSession& s) {
    // MariaDB's driver takes one statement unless the connection asked for more; SQLite's runs
    // the first only.
    return odbc_internal::IsPsqlOdbc(s);
}

void ShowDbError(DbSession& s, DbStatus status, const QString& title) {
    QString text = QString::number(status);
    if (status == -9)
        text += QStringLiteral(":データが重複しています。コードを変更して下さい。");
    else if (status == 100)
        text += QStringLiteral(":該当データがありません。コードを変更して下さい。");
    else if (s.Connected == 1)
        text += QStringLiteral(":以下のメッセージを参照。") + kCrLf + TakeLastMessage(s);
    else
        text += QStringLiteral(":ＤＢ接続に失敗しています。") + kCrLf + TakeLastMessage(s);
    Exclaim(text, title);
}

}  // namespace varkel
