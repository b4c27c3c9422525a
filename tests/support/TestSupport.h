#pragma once

#include "store/mod_DB.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

// A program folder in a temporary directory with an empty TS.mdb in it,
// reached through a connection of its own, apart from the program's.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    [[nodiscard]] QString path() const { return m_dir.path(); }
    [[nodiscard]] QString dbPath() const { return m_dir.path() + QStringLiteral("/TS.mdb"); }
    void exec(const QString& sql) const { (void)rows(sql); }
    // Each row's fields joined by "|", nulls as "<null>".
    [[nodiscard]] QStringList rows(const QString& sql) const;
    // As the program does, into mod_DB::dbTS.
    void open() const { QVERIFY(mod_DB::fDBConnect(true, path())); }
    // Another program holds the file's write lock (readers still read) until release().
    void lock() const { exec("BEGIN IMMEDIATE"); }
    void release() const { exec("COMMIT"); }

  private:
    QTemporaryDir m_dir;
    QString m_connection;
};
