// "Einstellungen": the controls, loading and storing the three settings, the exact bytes
// of the settings file after the dialog, and where that file lives.

#include "shell/ui/SettingsDlg.h"

#include "common/TestFiles.h"
#include "shell/Settings.h"
#include "shell/ui/ModalScript.h"
#include "ui/ProgramDir.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using testfiles::Hex;
using testfiles::ReadBytes;
using testfiles::ToHex;

namespace {

QCheckBox* Check(QWidget& dlg, const char* name) {
    return dlg.findChild<QCheckBox*>(QString::fromLatin1(name));
}

QRadioButton* Radio(QWidget& dlg, int id) {
    return dlg.findChild<QRadioButton*>(QStringLiteral("ctl%1").arg(id));
}

int CheckedRadio(QWidget& dlg) {
    for (int i = 0; i < 3; ++i)
        if (Radio(dlg, 1050 + i)->isChecked())
            return i;
    return -1;
}

} // namespace

class tst_SettingsDlg : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void controlsHaveTheirTexts();
    void loadShowsTheSettings_data();
    void loadShowsTheSettings();
    void clicksAreStoredAsExactBytes_data();
    void clicksAreStoredAsExactBytes();
};

void tst_SettingsDlg::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
}

void tst_SettingsDlg::controlsHaveTheirTexts() {
    CSettingsDlg dlg;
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Einstellungen"));
    QCOMPARE(Check(dlg, "ctl1030")->text(), QStringLiteral("Hinweiston bei falscher Antwort"));
    QCOMPARE(Check(dlg, "ctl1031")->text(),
             QString::fromUtf8("Direkt zur nächsten Aufgabe springen bei richtiger Antwort"));
    QCOMPARE(Check(dlg, "ctl1074")->text(),
             QString::fromUtf8("Direkt zur nächsten Aufgabe nach Anklicken der Selbstbewertung"));
    QVERIFY(!Check(dlg, "ctl1074")->isVisible());
    QVERIFY(Check(dlg, "ctl1030")->isVisible());
    QCOMPARE(dlg.findChild<QGroupBox*>()->title(), QStringLiteral("Drucken"));
    QCOMPARE(Radio(dlg, 1050)->text(), QStringLiteral("Alle Aufgaben drucken"));
    QCOMPARE(Radio(dlg, 1051)->text(),
             QStringLiteral("Nur Aufgaben drucken, die min. einmal falsch beantwortet wurden"));
    QCOMPARE(Radio(dlg, 1052)->text(),
             QString::fromUtf8("Nur Aufgaben drucken, die häufiger falsch beantwortet wurden"));
    QCOMPARE(dlg.findChild<QPushButton*>(QStringLiteral("ctl1"))->text(), QStringLiteral("OK"));
    QCOMPARE(dlg.findChild<QPushButton*>(QStringLiteral("ctl2"))->text(),
             QStringLiteral("Abbrechen"));
}

void tst_SettingsDlg::loadShowsTheSettings_data() {
    QTest::addColumn<int>("beep");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("print");
    QTest::addColumn<bool>("beepChecked");
    QTest::addColumn<bool>("nextChecked");
    QTest::addColumn<int>("radio");
    QTest::newRow("defaults") << 1 << 1 << 0 << true << true << 0;
    QTest::newRow("all off, third") << 0 << 0 << 2 << false << false << 2;
    QTest::newRow("second") << 1 << 0 << 1 << true << false << 1;
    // Any non-zero flag counts as set; a print value no button stands for shows the first.
    QTest::newRow("odd flag") << 7 << -1 << 0 << true << true << 0;
    QTest::newRow("print too big") << 0 << 1 << 3 << false << true << 0;
    QTest::newRow("print negative") << 0 << 1 << -1 << false << true << 0;
}

void tst_SettingsDlg::loadShowsTheSettings() {
    QFETCH(int, beep);
    QFETCH(int, next);
    QFETCH(int, print);
    QFETCH(bool, beepChecked);
    QFETCH(bool, nextChecked);
    QFETCH(int, radio);
    cSettings settings;
    settings.m_bBeepOnWrong = beep;
    settings.m_bNextOnRight = next;
    settings.m_nPrintSelection = print;
    CSettingsDlg dlg;
    dlg.Load(settings);
    QCOMPARE(Check(dlg, "ctl1030")->isChecked(), beepChecked);
    QCOMPARE(Check(dlg, "ctl1031")->isChecked(), nextChecked);
    QCOMPARE(CheckedRadio(dlg), radio);
}

void tst_SettingsDlg::clicksAreStoredAsExactBytes_data() {
    QTest::addColumn<bool>("clickBeep");
    QTest::addColumn<bool>("clickNext");
    QTest::addColumn<int>("radio");
    QTest::addColumn<QByteArray>("bytes");
    const auto bytes = [](std::initializer_list<int> b) { return QByteArray::fromStdString(Hex(b)); };
    QTest::newRow("defaults") << false << false << 1050 << bytes({7, 2, 1, 1, 1, 1, 7, 0});
    QTest::newRow("beep off, second") << true << false << 1051 << bytes({7, 2, 1, 0, 1, 1, 7, 1});
    QTest::newRow("both off, third") << true << true << 1052 << bytes({7, 2, 1, 0, 1, 0, 7, 2});
}

void tst_SettingsDlg::clicksAreStoredAsExactBytes() {
    QFETCH(bool, clickBeep);
    QFETCH(bool, clickNext);
    QFETCH(int, radio);
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("settings_vdr.dat")).toStdString();
    cSettings settings;
    settings.LoadSettings(path); // no file yet: the defaults
    CSettingsDlg dlg;
    dlg.Load(settings);
    // Click on the box itself, at the left end of the control.
    const auto click = [](QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    };
    ModalScript script({[&](QWidget* modal) {
        if (modal != &dlg)
            return false;
        if (clickBeep)
            click(Check(dlg, "ctl1030"));
        if (clickNext)
            click(Check(dlg, "ctl1031"));
        click(Radio(dlg, radio));
        ModalScript::Click(dlg.findChild<QPushButton*>(QStringLiteral("ctl1")));
        return true;
    }});
    QCOMPARE(dlg.exec(), int(QDialog::Accepted));
    settings.m_nPrintSelection = 99;
    dlg.Store(settings);
    settings.SaveSettings(path);
    QCOMPARE(ToHex(ReadBytes(path)), ToHex(bytes.toStdString()));

    // Read back, the dialog shows the same choice.
    cSettings back;
    back.LoadSettings(path);
    CSettingsDlg again;
    again.Load(back);
    QCOMPARE(Check(again, "ctl1030")->isChecked(), !clickBeep);
    QCOMPARE(Check(again, "ctl1031")->isChecked(), !clickNext);
    QCOMPARE(CheckedRadio(again), radio - 1050);
}

QTEST_MAIN(tst_SettingsDlg)
#include "tst_settingsdlg.moc"
