// The update from the window: the menu command end to end against a real server, and
// the wait dialog's Show/Hide races.

#include "update/ui/WaitDialog.h"

#include "common/TestFiles.h"
#include "common/UpdateServer.h"
#include "common/WindowTest.h"
#include "shell/ui/Commands.h"
#include "shell/ui/MainFrame.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"

#include <QtWidgets>
#include <QtTest>

#include <sys/stat.h>

using testfiles::ReadBytes;

namespace {

// Texts of the wait dialogs on screen now.
QStringList VisibleWaitTexts() {
    QStringList texts;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("dlg140") && w->isVisible())
            texts << w->findChild<QLabel*>(QStringLiteral("ctl1027"))->text();
    return texts;
}

// Records the text of each wait dialog as it is shown.
class WaitDialogRecorder : public QObject {
public:
    QStringList texts;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->objectName() == QLatin1String("dlg140"))
            if (auto* label = watched->findChild<QLabel*>(QStringLiteral("ctl1027")))
                texts << label->text();
        return false;
    }
};

} // namespace

class tst_Update : public QObject {
    Q_OBJECT
private slots:
    void waitDialogRaces();
    void menuCommandEndToEnd();
};

void tst_Update::waitDialogRaces() {
    cWaitDialog wait;
    wait.Hide(); // never shown: nothing to do
    wait.SetText("Suche nach Updates...\r\nBitte warten...");
    wait.Show();
    QPointer<CUpdateDlg> dlg = wait.Dialog();
    QVERIFY(dlg && dlg->isVisible()); // Show returned with the dialog up
    QCOMPARE(dlg->windowTitle(), QStringLiteral("Update"));
    QCOMPARE(dlg->windowModality(), Qt::ApplicationModal);
    QCOMPARE(VisibleWaitTexts(), QStringList{QStringLiteral("Suche nach Updates...\nBitte warten...")});
    QVERIFY(dlg->findChild<QPushButton*>(QStringLiteral("ctl1"))->isHidden());
    QVERIFY(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    // Without cancelling, Esc, Enter and the close box do nothing.
    QTest::keyClick(dlg, Qt::Key_Escape);
    QTest::keyClick(dlg, Qt::Key_Return);
    dlg->close();
    QTest::qWait(600);
    QVERIFY(dlg && dlg->isVisible());
    wait.Hide();
    QTRY_VERIFY_WITH_TIMEOUT(!dlg, 10000);
    QVERIFY(!QApplication::overrideCursor());

    // Hide right after Show, and a Show while the last dialog is still closing.
    wait.Show();
    wait.Hide();
    wait.Show();
    QPointer<CUpdateDlg> second = wait.Dialog();
    wait.Show(); // unpaired: the one before must still close
    wait.Hide();
    QTRY_VERIFY_WITH_TIMEOUT(!second && VisibleWaitTexts().isEmpty(), 10000);

    // With cancelling: the button shows, Esc ends the dialog, a later Hide is harmless.
    wait.SetCancelAllowed(true);
    wait.Show();
    dlg = wait.Dialog();
    QCOMPARE(dlg->findChild<QPushButton*>(QStringLiteral("ctl1"))->text(), QStringLiteral("Abbrechen"));
    QVERIFY(!dlg->findChild<QPushButton*>(QStringLiteral("ctl1"))->isHidden());
    QTest::keyClick(dlg, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!dlg, 10000);
    wait.Hide();
    wait.Show();
    QTest::mouseClick(wait.Dialog()->findChild<QPushButton*>(QStringLiteral("ctl1")), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!wait.Dialog(), 10000);
    wait.Hide();
    QVERIFY(!QApplication::overrideCursor());
}

void tst_Update::menuCommandEndToEnd() {
    QStandardPaths::setTestModeEnabled(true);
    testfiles::UpdateServer server;
    server.Publish("quorvant.php", "UpdateConfigFile\r\n1.0.0.1\r\n1\r\nquorvant\r\n");
    server.Publish("quorvant", "new program");
    qputenv("QUORVANT_UPDATE_URL", server.BaseUrl().c_str());
    QTemporaryDir programDir;
    const std::string program = programDir.filePath(QStringLiteral("quorvant")).toStdString();
    testfiles::WriteBytes(program, "old program");
    chmod(program.c_str(), 0755);
    SetProgramDirPath(programDir.path());
    QTemporaryDir work;
    auto frame = windowtest::ShowFrame(work.path());

    // Every wait dialog shown, however briefly: a fast local download may be over before
    // any timer could look.
    WaitDialogRecorder recorder;
    qApp->installEventFilter(&recorder);
    const QStringList& waitTexts = recorder.texts;
    QStringList boxes;
    auto answer = [&boxes](const char* caption, QMessageBox::StandardButton button) {
        return [&boxes, caption, button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box || box->windowTitle() != QString::fromUtf8(caption))
                return false;
            boxes << box->text();
            ModalScript::Click(box->button(button));
            return true;
        };
    };
    ModalScript script({answer("Update verfügbar", QMessageBox::Yes),
                        answer("Update heruntergeladen", QMessageBox::Ok)});
    frame->Action(cmd::kUpdate)->trigger();
    QVERIFY(script.Done());
    QCOMPARE(boxes, QString::fromUtf8("Ein neues Update steht zum Download bereit. Möchten Sie es "
                                      "jetzt herunterladen?|Das Update wurde heruntergeladen. Die "
                                      "Änderungen sind beim nächsten Programmstart aktiv.").split('|'));
    QTRY_VERIFY_WITH_TIMEOUT(VisibleWaitTexts().isEmpty(), 10000);
    QCOMPARE(waitTexts, QStringList({QStringLiteral("Suche nach Updates...\nBitte warten..."),
                                     QStringLiteral("Update wird heruntergeladen.\nBitte warten...")}));
    QVERIFY(!QApplication::overrideCursor());
    QCOMPARE(ReadBytes(program), std::string("new program"));
    QCOMPARE(ReadBytes(program + ".bak"), std::string("old program"));
    SetProgramDirPath({});
    qunsetenv("QUORVANT_UPDATE_URL");
}

QTEST_MAIN(tst_Update)
#include "tst_update.moc"
