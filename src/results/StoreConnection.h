#pragma once
// One open connection to a results store, SQLite or PostgreSQL, through Qt SQL. A connection
// belongs to the thread that opened it. Every failure is a StoreError with the engine's text.

#include "results/StoreAddress.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include <functional>
#include <stdexcept>
#include <string>

namespace dilato::results {

class StoreError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class StoreConnection {
  public:
    // Opens the store (a SQLite file is created; WAL mode); a server that does not answer
    // within `connectSeconds` is a StoreError.
    explicit StoreConnection(const StoreAddress& address, int connectSeconds = 3);
    ~StoreConnection();
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    [[nodiscard]] StoreEngine engine() const { return address_.engine; }
    [[nodiscard]] const StoreAddress& address() const { return address_; }

    void Exec(const std::string& sql);
    [[nodiscard]] QSqlQuery Prepare(const QString& sql);
    // The query of `sql` prepared once for the connection's life; bind with bindValue(i, ...).
    [[nodiscard]] QSqlQuery& Prepared(const QString& sql);
    // Runs a prepared query; throws StoreError with the engine's text.
    void Run(QSqlQuery& query);
    // A query's single value (the first column of its first row); invalid when none.
    [[nodiscard]] QVariant Value(const QString& sql);

    // Runs `work` in one transaction: committed when it returns, rolled back when it throws.
    // SQLite takes its write lock at the start, so two writers never deadlock.
    void InTransaction(const std::function<void()>& work);

  private:
    StoreAddress address_;
    QString name_;
    QSqlDatabase db_;
    QHash<QString, QSqlQuery> prepared_;
};

} // namespace dilato::results
