#include "results/StoreConnection.h"

#include <QSqlError>

#include <atomic>

namespace dilato::results {

namespace {

std::atomic<int> gConnections{0};

std::string ErrorText(const QSqlError& e) {
    return e.text().toStdString();
}

} // namespace

StoreConnection::StoreConnection(const StoreAddress& address, int connectSeconds)
    : address_(address), name_(QStringLiteral("dilato-results-%1").arg(++gConnections)) {
    if (address.engine == StoreEngine::Sqlite) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db_.setDatabaseName(QString::fromStdString(address.path));
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    } else {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name_);
        db_.setHostName(QString::fromStdString(address.host));
        db_.setPort(address.port);
        db_.setDatabaseName(QString::fromStdString(address.database));
        db_.setUserName(QString::fromStdString(address.user));
        if (!address.passwordFile.empty())
            db_.setPassword(QString::fromStdString(ReadPasswordFile(address.passwordFile)));
        // A server that went away is noticed within seconds, not at the TCP timeout.
        db_.setConnectOptions(QStringLiteral("connect_timeout=%1;keepalives_idle=5;"
                                             "keepalives_interval=2;keepalives_count=2")
                                  .arg(connectSeconds));
    }
    if (!db_.isValid())
        throw StoreError("the Qt SQL driver for " + address.text() + " is not installed");
    if (!db_.open())
        throw StoreError("the results store " + address.text() +
                         " cannot be opened: " + ErrorText(db_.lastError()));
    if (address.engine == StoreEngine::Sqlite) {
        // Readers never wait for the writer; a commit is on the disk at the next checkpoint,
        // and a crash loses at most the last commits, never the file.
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=NORMAL");
        Exec("PRAGMA foreign_keys=ON");
    }
}

StoreConnection::~StoreConnection() {
    prepared_.clear();
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

void StoreConnection::Exec(const std::string& sql) {
    QSqlQuery q(db_);
    if (!q.exec(QString::fromStdString(sql)))
        throw StoreError(address_.text() + ": " + ErrorText(q.lastError()) + " in " + sql);
}

QSqlQuery StoreConnection::Prepare(const QString& sql) {
    QSqlQuery q(db_);
    if (!q.prepare(sql))
        throw StoreError(address_.text() + ": " + ErrorText(q.lastError()) + " in " +
                         sql.toStdString());
    return q;
}

QSqlQuery& StoreConnection::Prepared(const QString& sql) {
    auto it = prepared_.find(sql);
    if (it == prepared_.end()) it = prepared_.insert(sql, Prepare(sql));
    return it.value();
}

void StoreConnection::Run(QSqlQuery& query) {
    if (!query.exec())
        throw StoreError(address_.text() + ": " + ErrorText(query.lastError()) + " in " +
                         query.lastQuery().toStdString());
}

QVariant StoreConnection::Value(const QString& sql) {
    QSqlQuery q = Prepare(sql);
    Run(q);
    return q.next() ? q.value(0) : QVariant();
}

void StoreConnection::InTransaction(const std::function<void()>& work) {
    Exec(engine() == StoreEngine::Sqlite ? "BEGIN IMMEDIATE" : "BEGIN");
    try {
        work();
        Exec("COMMIT");
    } catch (...) {
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

} // namespace dilato::results
