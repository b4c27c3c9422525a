#pragma once

#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

// A failure of the database: the engine's error number and its text.
class DbError : public std::runtime_error {
  public:
    DbError(QString number, QString text);
    [[nodiscard]] const QString& number() const { return m_number; }
    [[nodiscard]] const QString& text() const { return m_text; }
    // "Error <number>: <text>", the line shown to the user.
    [[nodiscard]] QString message() const;

  private:
    QString m_number;
    QString m_text;
};

class Database;

// One result set: a table opened by name or the rows of one select statement.
// It is positioned on its first row when opened; rows come in stored order.
class Recordset {
  public:
    Recordset(Recordset&&) noexcept;
    Recordset& operator=(Recordset&&) noexcept;
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;
    ~Recordset();

    [[nodiscard]] bool Eof() const { return !m_onRow; }
    void MoveNext();
    // The stored value of a field of the current row; null stays null.
    [[nodiscard]] QVariant Field(const QString& name) const;
    // Writes go to the row started by AddNew or Edit and reach the file on Update.
    void SetField(const QString& name, const QVariant& value);
    void SetField(int position, const QVariant& value);
    void AddNew();
    void Edit();
    // Stores the pending row in one transaction: all of it or nothing.
    void Update();
    void Close();

  private:
    friend class Database;
    enum class Pending { None, Adding, Editing };
    Recordset(Database* db, QString table, QSqlQuery query);
    void fetch();
    [[nodiscard]] int fieldIndex(const QString& name) const;

    Database* m_db = nullptr;
    QString m_table;
    QSqlQuery m_query;
    QStringList m_fields; // the table's fields in stored order
    QSqlRecord m_row;
    bool m_onRow = false;
    Pending m_pending = Pending::None;
    QVariant m_rowid;
    QVariantList m_values;
    std::vector<bool> m_written;
};

// The open database file. Every statement the program sends passes through
// here as text, exactly as built, and can be observed; values found in it are
// bound as parameters, never spliced into the SQL that reaches the engine.
class Database {
  public:
    // Opens an existing file for reading and writing; never creates one.
    // Throws DbError when the file is missing, is no database or lacks a table.
    static std::unique_ptr<Database> open(const QString& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // A table name ("tbl_Srv", "tbl_Userdata") or one of the program's select statements.
    Recordset OpenRecordset(const QString& source);
    // The program's delete statement.
    void Execute(const QString& statement);

    void setStatementObserver(std::function<void(const QString&)> observer) {
        m_observer = std::move(observer);
    }
    [[nodiscard]] const QString& path() const { return m_path; }
    [[nodiscard]] QString connectionName() const { return m_connection; }

  private:
    friend class Recordset;
    explicit Database(QString path, QString connection);
    void observe(const QString& statement) const;
    [[nodiscard]] QSqlQuery query() const;
    [[noreturn]] static void fail(const QSqlError& error);

    QString m_path;
    QString m_connection;
    std::function<void(const QString&)> m_observer;
};
