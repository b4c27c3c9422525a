// SPDX-License-Identifier: MIT
#pragma once

#include "store/mod_DB.h"
#include "tools/initdb/EmptyDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <QUuid>
#include <unistd.h>

// A program folder in a temporary directory with an empty TS.mdb in it,
// reached through a connection of its own, apart from the program's.
class TempFolder {
  public:
    TempFolder() {
        if (const auto made = initdb::createEmptyDatabase(dbPath());
            !made || *made != initdb::Made::New) {
            qFatal("cannot make a test database: %s", qPrintable(made.error()));
        }
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_connection);
        db.setDatabaseName(dbPath());
        db.open();
    }
    ~TempFolder() {
        (void)mod_DB::fDBConnect(false, {});
        QSqlDatabase::database(m_connection).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    [[nodiscard]] QString path() const { return m_dir.path(); }
    [[nodiscard]] QString dbPath() const { return m_dir.path() + QStringLiteral("/TS.mdb"); }
    void exec(const QString& sql) const { (void)rows(sql); }
    // Each row's fields joined by "|", nulls as "<null>".
    [[nodiscard]] QStringList rows(const QString& sql) const {
        QSqlQuery q(QSqlDatabase::database(m_connection));
        if (!q.exec(sql)) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        }
        QStringList result;
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < q.record().count(); ++i) {
                fields << (q.value(i).isNull() ? "<null>" : q.value(i).toString());
            }
            result << fields.join('|');
        }
        return result;
    }
    // As the program does, into mod_DB::dbTS.
    void open() const { QVERIFY(mod_DB::fDBConnect(true, path())); }

  private:
    QTemporaryDir m_dir;
    QString m_connection = QUuid::createUuid().toString();
};

// While it lives, one of this process's standard streams goes to a file of its own.
class StreamToFile {
  public:
    explicit StreamToFile(int stream) : m_stream(stream), m_own(::dup(stream)) {
        if (!m_file.open() || ::dup2(m_file.handle(), stream) != stream) {
            qFatal("cannot redirect stream %d", stream);
        }
    }
    ~StreamToFile() { restore(); }
    StreamToFile(const StreamToFile&) = delete;
    StreamToFile& operator=(const StreamToFile&) = delete;
    // The stream back where it was; what was written to it meanwhile.
    QByteArray restore() {
        if (m_own >= 0) {
            ::dup2(m_own, m_stream);
            ::close(m_own);
            m_own = -1;
        }
        return m_file.seek(0) ? m_file.readAll() : QByteArray();
    }

  private:
    QTemporaryFile m_file;
    int m_stream;
    int m_own;
};
