#pragma once

#include <QString>
#include <functional>

// The baselines of the tree's catalog queries: plain C loops on a connection of their own,
// binding as text the columns the program reads and converting nothing. Each returns the rows
// read, or -1.
class RawCatalog {
  public:
    explicit RawCatalog(const QString& connectString);
    ~RawCatalog();
    RawCatalog(const RawCatalog&) = delete;
    RawCatalog& operator=(const RawCatalog&) = delete;
    bool ok() const { return connected_; }

    // SQLTables for the types "TABLE,VIEW,SYNONYM" and `owner` (every owner when empty).
    long tables(const QString& owner);
    // SQLColumns of one table, then (with `primaryKey`) SQLPrimaryKeys, then SQLStatistics of
    // its unique indexes; the column rows. An empty catalog or schema is passed as "any".
    long columnsAndKeys(const QString& catalog, const QString& schema, const QString& table,
                        bool primaryKey = false);

  private:
    long rows(int columns, const std::function<short(void*)>& call);
    void* env_ = nullptr;
    void* dbc_ = nullptr;
    bool connected_ = false;
};
