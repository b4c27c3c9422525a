#include "store/Database.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QUrl>
#include <atomic>

DbError::DbError(QString number, QString text)
    : std::runtime_error(QStringLiteral("Error %1: %2").arg(number, text).toStdString()),
      m_number(std::move(number)), m_text(std::move(text)) {}

QString DbError::message() const {
    return QStringLiteral("Error %1: %2").arg(m_number, m_text);
}

namespace {

// The statements the program builds, and what each becomes with its value bound.
struct Translated {
    QString table;
    QString sql;
    std::optional<QString> value;
};

bool isTable(const QString& name) {
    return name == QLatin1String("tbl_Srv") || name == QLatin1String("tbl_Userdata");
}

QString rowsOf(const QString& table) {
    return QStringLiteral("SELECT rowid AS quarnel_rowid, * FROM %1").arg(table);
}

std::optional<Translated> translateSelect(const QString& source) {
    if (isTable(source)) {
        return Translated{source, rowsOf(source) + QStringLiteral(" ORDER BY rowid"), {}};
    }
    static const QRegularExpression select(
        QStringLiteral(R"(^Select \* from (tbl_Srv|tbl_Userdata) WHERE (ID|ServerID) = (.*);$)"),
        QRegularExpression::DotMatchesEverythingOption);
    const auto match = select.match(source);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QString table = match.captured(1);
    const QString key = match.captured(2);
    if ((table == QLatin1String("tbl_Srv")) != (key == QLatin1String("ID"))) {
        return std::nullopt;
    }
    return Translated{table,
                      rowsOf(table) + QStringLiteral(" WHERE %1 = ? ORDER BY rowid").arg(key),
                      match.captured(3)};
}

std::optional<Translated> translateExecute(const QString& statement) {
    static const QRegularExpression remove(
        QStringLiteral(R"(^Delete from tbl_Srv WHERE ID =(.*);$)"),
        QRegularExpression::DotMatchesEverythingOption);
    const auto match = remove.match(statement);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return Translated{QStringLiteral("tbl_Srv"), QStringLiteral("DELETE FROM tbl_Srv WHERE ID = ?"),
                      match.captured(1)};
}

// A key compared as an unquoted number binds as a number when it is one.
QVariant keyValue(const QString& text) {
    bool ok = false;
    const qlonglong number = text.toLongLong(&ok);
    return ok ? QVariant(number) : QVariant(text);
}

QString quoted(const QString& identifier) {
    return QLatin1Char('"') +
           QString(identifier).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

// ---------------------------------------------------------------- Database

Database::Database(QString path, QString connection)
    : m_path(std::move(path)), m_connection(std::move(connection)) {}

Database::~Database() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

namespace {
// The engine's number and words; Qt's own when the engine gave none.
DbError errorOf(const QSqlError& error, const QString& fallbackNumber, const QString& suffix = {}) {
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    const QString number =
        error.nativeErrorCode().isEmpty() ? fallbackNumber : error.nativeErrorCode();
    return {number, text + suffix};
}
} // namespace

void Database::fail(const QSqlError& error) {
    throw errorOf(error, QStringLiteral("-1"));
}

std::unique_ptr<Database> Database::open(const QString& path) {
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("quarnel-db-%1").arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        // mode=rw: a missing file is an error, never silently created. A short
        // busy timeout: a file locked by another program must not freeze the window.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=250"));
        db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                           QStringLiteral("?mode=rw"));
        if (!db.open()) {
            const QSqlError error = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(name);
            // 14 is the engine's "cannot open".
            throw errorOf(error, QStringLiteral("14"), QStringLiteral(" (%1)").arg(path));
        }
    }
    std::unique_ptr<Database> result(new Database(path, name));
    // Both tables with every field the program names must be there.
    for (const char* check : {"SELECT count(*) FROM sqlite_master",
                              "SELECT ID, ServerName, IP, Port, TCPPort FROM tbl_Srv LIMIT 0",
                              "SELECT ServerID, Nickname, LoginName, Passwort FROM tbl_Userdata "
                              "LIMIT 0"}) {
        QSqlQuery probe = result->query();
        if (!probe.exec(QString::fromLatin1(check))) {
            fail(probe.lastError());
        }
    }
    return result;
}

QSqlQuery Database::query() const {
    QSqlQuery q(QSqlDatabase::database(m_connection, false));
    q.setForwardOnly(true);
    return q;
}

void Database::observe(const QString& statement) const {
    if (m_observer) {
        m_observer(statement);
    }
}

Recordset Database::OpenRecordset(const QString& source) {
    observe(source);
    const auto translated = translateSelect(source);
    if (!translated) {
        throw DbError(QStringLiteral("-1"), QStringLiteral("Statement not understood: ") + source);
    }
    QSqlQuery q = query();
    if (!q.prepare(translated->sql)) {
        fail(q.lastError());
    }
    if (translated->value) {
        q.addBindValue(keyValue(*translated->value));
    }
    if (!q.exec()) {
        fail(q.lastError());
    }
    return Recordset(this, translated->table, std::move(q));
}

void Database::Execute(const QString& statement) {
    observe(statement);
    const auto translated = translateExecute(statement);
    if (!translated) {
        throw DbError(QStringLiteral("-1"),
                      QStringLiteral("Statement not understood: ") + statement);
    }
    QSqlQuery q = query();
    if (!q.prepare(translated->sql)) {
        fail(q.lastError());
    }
    q.addBindValue(keyValue(*translated->value));
    if (!q.exec()) {
        fail(q.lastError());
    }
}

// ---------------------------------------------------------------- Recordset

Recordset::Recordset(Database* db, QString table, QSqlQuery query)
    : m_db(db), m_table(std::move(table)), m_query(std::move(query)) {
    const QSqlRecord record = m_query.record();
    for (int i = 1; i < record.count(); ++i) {
        m_fields << record.fieldName(i);
    }
    fetch();
}

Recordset::Recordset(Recordset&&) noexcept = default;
Recordset& Recordset::operator=(Recordset&&) noexcept = default;
Recordset::~Recordset() = default;

void Recordset::fetch() {
    m_onRow = m_query.next();
    if (m_onRow) {
        m_row = m_query.record();
    } else if (m_query.lastError().isValid()) {
        Database::fail(m_query.lastError());
    }
}

void Recordset::MoveNext() {
    if (!m_onRow) {
        throw DbError(QStringLiteral("3021"), QStringLiteral("No current record."));
    }
    fetch();
}

int Recordset::fieldIndex(const QString& name) const {
    const auto index = m_fields.indexOf(name);
    if (index < 0) {
        throw DbError(QStringLiteral("3265"),
                      QStringLiteral("Item not found in this collection: ") + name);
    }
    return static_cast<int>(index);
}

QVariant Recordset::Field(const QString& name) const {
    const int index = fieldIndex(name);
    if (!m_onRow) {
        throw DbError(QStringLiteral("3021"), QStringLiteral("No current record."));
    }
    return m_row.value(index + 1);
}

void Recordset::SetField(const QString& name, const QVariant& value) {
    SetField(fieldIndex(name), value);
}

void Recordset::SetField(int position, const QVariant& value) {
    if (m_pending == Pending::None) {
        throw DbError(QStringLiteral("3020"),
                      QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    }
    if (position < 0 || position >= m_fields.size()) {
        throw DbError(QStringLiteral("3265"), QStringLiteral("Item not found in this collection."));
    }
    m_values[position] = value;
    m_written[static_cast<size_t>(position)] = true;
}

void Recordset::AddNew() {
    m_pending = Pending::Adding;
    m_values = QVariantList(m_fields.size());
    m_written.assign(static_cast<size_t>(m_fields.size()), false);
}

void Recordset::Edit() {
    if (!m_onRow) {
        throw DbError(QStringLiteral("3021"), QStringLiteral("No current record."));
    }
    m_pending = Pending::Editing;
    m_rowid = m_row.value(0);
    m_values = QVariantList(m_fields.size());
    m_written.assign(static_cast<size_t>(m_fields.size()), false);
}

void Recordset::Update() {
    if (m_pending == Pending::None) {
        throw DbError(QStringLiteral("3020"),
                      QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
    }
    QStringList names;
    QVariantList values;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_written[static_cast<size_t>(i)]) {
            names << quoted(m_fields[i]);
            values << m_values[i];
        }
    }
    QString sql;
    if (m_pending == Pending::Adding) {
        sql = names.isEmpty()
                  ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
                  : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                        .arg(m_table, names.join(QLatin1Char(',')),
                             QStringList(names.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    } else {
        QStringList sets;
        for (const QString& name : names) {
            sets << name + QStringLiteral(" = ?");
        }
        if (sets.isEmpty()) {
            m_pending = Pending::None;
            return;
        }
        sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                  .arg(m_table, sets.join(QLatin1Char(',')));
        values << m_rowid;
    }
    QSqlDatabase db = QSqlDatabase::database(m_db->connectionName(), false);
    if (!db.transaction()) {
        Database::fail(db.lastError());
    }
    QSqlQuery write = m_db->query();
    bool ok = write.prepare(sql);
    for (const QVariant& value : values) {
        write.addBindValue(value);
    }
    ok = ok && write.exec();
    if (!ok) {
        const QSqlError error = write.lastError();
        write.finish();
        db.rollback();
        Database::fail(error);
    }
    write.finish();
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        Database::fail(error);
    }
    m_pending = Pending::None;
}

void Recordset::Close() {
    m_query.finish();
    m_onRow = false;
    m_pending = Pending::None;
}
