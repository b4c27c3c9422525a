#include "support/TestSupport.h"

#include "tools/initdb/EmptyDatabase.h"

#include <QApplication>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTimer>
#include <QUuid>
#include <QtTest>

TempProgramFolder::TempProgramFolder() {
    QString error;
    if (initdb::createEmptyDatabase(dbPath(), &error) != initdb::Outcome::Created) {
        qFatal("cannot make a test database: %s", qPrintable(error));
    }
}

QString TempProgramFolder::dbPath() const {
    return m_dir.path() + QStringLiteral("/TS.mdb");
}

namespace {
template <typename F> void withDb(const QString& path, F&& work) {
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open()) {
            qFatal("cannot open %s", qPrintable(path));
        }
        work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
} // namespace

void TempProgramFolder::exec(const QString& sql) const {
    withDb(dbPath(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        }
    });
}

qint64 TempProgramFolder::addServer(const QString& name, const QString& ip, const QString& port,
                                    const QString& tcpPort) const {
    qint64 id = 0;
    withDb(dbPath(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.prepare(
            QStringLiteral("INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) VALUES (?,?,?,?)"));
        q.addBindValue(name);
        q.addBindValue(ip);
        q.addBindValue(port);
        q.addBindValue(tcpPort);
        if (!q.exec()) {
            qFatal("insert: %s", qPrintable(q.lastError().text()));
        }
        id = q.lastInsertId().toLongLong();
    });
    return id;
}

QStringList TempProgramFolder::rows(const QString& sql) const {
    QStringList result;
    withDb(dbPath(), [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (!q.exec(sql)) {
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        }
        while (q.next()) {
            QStringList fields;
            for (int i = 0; i < q.record().count(); ++i) {
                fields << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
            }
            result << fields.join(QLatin1Char('|'));
        }
    });
    return result;
}

std::shared_ptr<MessageBoxAnswer> answerNextMessageBox(QMessageBox::StandardButton press) {
    auto answer = std::make_shared<MessageBoxAnswer>();
    auto* poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [answer, press, poll] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        poll->stop();
        poll->deleteLater();
        answer->seen = true;
        answer->title = box->windowTitle();
        answer->text = box->text();
        answer->icon = box->icon();
        if (auto* def = box->defaultButton()) {
            answer->defaultButton = box->standardButton(def);
        }
        for (QAbstractButton* b : box->buttons()) {
            answer->buttons << b->text();
        }
        QAbstractButton* button = box->button(press);
        if (button != nullptr) {
            button->click();
        } else {
            box->reject();
        }
    });
    poll->start();
    return answer;
}

#include "store/FlexGrid.h"
#include <QTcpServer>

void fillGrid(FlexGrid& grid, const QList<QStringList>& servers) {
    grid.Clear();
    grid.setRows(1);
    const QStringList heads{QString(), "Servername", "IP", "Port", "TCPPort", "Player"};
    for (int c = 0; c < 6; ++c) {
        grid.setTextMatrix(0, c, heads[c]);
    }
    for (const QStringList& server : servers) {
        grid.AddItem(server.join(QLatin1Char('\t')) + QStringLiteral("\tX"));
    }
}

quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}
