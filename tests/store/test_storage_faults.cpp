// TS.mdb on a full disk and on a read-only file system (small tmpfs mounts,
// which need root): every refused write is reported and nothing is lost.
#include "app/Form1.h"
#include "store/Database.h"
#include "store/FlexGrid.h"
#include "store/ServerDialogs.h"
#include "support/TestSupport.h"
#include "tools/initdb/EmptyDatabase.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>
#include <unistd.h>

namespace {

bool run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A tmpfs of the given size, unmounted again at the end.
class SmallDisk {
  public:
    explicit SmallDisk(const QString& size) {
        m_mounted = ::geteuid() == 0 &&
                    run(QStringLiteral("mount"),
                        {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                         QStringLiteral("size=") + size, QStringLiteral("tmpfs"), m_dir.path()});
    }
    ~SmallDisk() {
        if (m_mounted) {
            run(QStringLiteral("umount"), {QStringLiteral("-l"), m_dir.path()});
        }
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    [[nodiscard]] bool mounted() const { return m_mounted; }
    [[nodiscard]] QString path() const { return m_dir.path(); }
    bool makeReadOnly() const {
        return run(QStringLiteral("mount"),
                   {QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir.path()});
    }

  private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace

class TestStorageFaults : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void fullDiskIsReportedAndLosesNothing();
    void readOnlyFileSystemIsReported();
};

void TestStorageFaults::fullDiskIsReportedAndLosesNothing() {
    SmallDisk disk(QStringLiteral("96k"));
    if (!disk.mounted()) {
        QSKIP("needs root to mount a small tmpfs");
    }
    QVERIFY(initdb::createEmptyDatabase(disk.path() + QStringLiteral("/TS.mdb")) ==
            initdb::Outcome::Created);
    Form1 form;
    form.Form_Load(disk.path());
    form.Timer1->stop();
    form.Command4_Click();
    Frm_AddSrv* add = form.addDialog();
    const QString big(6000, QLatin1Char('x'));
    std::shared_ptr<MessageBoxAnswer> error;
    int added = 0;
    for (; added < 100; ++added) {
        add->Text1->setText(QStringLiteral("%1 %2").arg(added).arg(big));
        error = answerNextMessageBox(QMessageBox::Ok);
        add->Command2->click();
        if (error->seen) {
            break;
        }
        forgetPendingAnswers();
        form.Command4_Click();
    }
    QVERIFY2(error && error->seen, "the disk never filled");
    QVERIFY(added > 0);
    QVERIFY(error->text.contains(QStringLiteral("could not be added")));
    QVERIFY(add->isVisible());
    QVERIFY(add->Text1->text().startsWith(QStringLiteral("%1 ").arg(added)));
    QCOMPARE(form.MSFlexGrid1->Rows(), added + 1);
    form.Form_Unload();
    // Whatever was stored before is still whole.
    {
        auto db = Database::open(disk.path() + QStringLiteral("/TS.mdb"));
        Recordset rs = db->OpenRecordset(QStringLiteral("tbl_Srv"));
        int rows = 0;
        for (; !rs.Eof(); rs.MoveNext()) {
            QCOMPARE(rs.Field(QStringLiteral("ServerName")).toString(),
                     QStringLiteral("%1 %2").arg(rows).arg(big));
            ++rows;
        }
        QCOMPARE(rows, added);
    }
}

void TestStorageFaults::readOnlyFileSystemIsReported() {
    SmallDisk disk(QStringLiteral("1m"));
    if (!disk.mounted()) {
        QSKIP("needs root to mount a small tmpfs");
    }
    const QString path = disk.path() + QStringLiteral("/TS.mdb");
    QVERIFY(initdb::createEmptyDatabase(path) == initdb::Outcome::Created);
    {
        auto db = Database::open(path);
        Recordset rs = db->OpenRecordset(QStringLiteral("tbl_Srv"));
        rs.AddNew();
        rs.SetField(1, QStringLiteral("stored before"));
        rs.Update();
        rs.Close();
    }
    QVERIFY(disk.makeReadOnly());
    Form1 form;
    form.Form_Load(disk.path()); // reading still works
    form.Timer1->stop();
    QCOMPARE(form.MSFlexGrid1->TextMatrix(1, 1), QStringLiteral("stored before"));
    form.Command4_Click();
    form.addDialog()->Text1->setText(QStringLiteral("new one"));
    auto error = answerNextMessageBox(QMessageBox::Ok);
    form.addDialog()->Command2->click();
    QVERIFY(error->seen);
    QVERIFY2(error->text.contains(QStringLiteral("readonly")) ||
                 error->text.contains(QStringLiteral("read-only")) ||
                 error->text.contains(QStringLiteral("unable to open")),
             qPrintable(error->text));
    QCOMPARE(form.addDialog()->Text1->text(), QStringLiteral("new one"));
    QCOMPARE(form.MSFlexGrid1->Rows(), 2);
}

QTEST_MAIN(TestStorageFaults)
#include "test_storage_faults.moc"
