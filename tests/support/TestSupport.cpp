#include "support/TestSupport.h"

#include "tools/initdb/EmptyDatabase.h"

#include <QApplication>
#include <QPointer>
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

namespace {

// Answers wait in line: each modal box that opens takes the oldest one.
struct PendingAnswer {
    std::shared_ptr<MessageBoxAnswer> record;
    QMessageBox::StandardButton press;
};
QList<PendingAnswer>& pending() {
    static QList<PendingAnswer> queue;
    return queue;
}

void answerBox(QMessageBox* box, const PendingAnswer& answer) {
    MessageBoxAnswer& record = *answer.record;
    record.seen = true;
    record.title = box->windowTitle();
    record.text = box->text();
    record.icon = box->icon();
    if (auto* def = box->defaultButton()) {
        record.defaultButton = box->standardButton(def);
    }
    for (QAbstractButton* b : box->buttons()) {
        record.buttons << b->text();
    }
    if (QAbstractButton* button = box->button(answer.press)) {
        button->click();
    } else {
        box->reject();
    }
}

void ensurePolling() {
    static QTimer* poll = nullptr;
    static QPointer<QMessageBox> last;
    if (poll != nullptr) {
        return;
    }
    poll = new QTimer(qApp);
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, poll, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || box == last || pending().isEmpty() || !box->isVisible()) {
            return;
        }
        last = box;
        answerBox(box, pending().takeFirst());
    });
    poll->start();
}

} // namespace

std::shared_ptr<MessageBoxAnswer> answerNextMessageBox(QMessageBox::StandardButton press) {
    auto record = std::make_shared<MessageBoxAnswer>();
    pending().append({record, press});
    ensurePolling();
    return record;
}

void forgetPendingAnswers() {
    pending().clear();
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
