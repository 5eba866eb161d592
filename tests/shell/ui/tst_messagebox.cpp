// Message boxes of the window: what a box looks like for each style, which button gives
// which answer, and the quick help that the help button and F1 open over a waiting box.

#include "ui/MessageBoxPresenter.h"

#include "data/Cp1252.h"
#include "shell/Message.h"
#include "shell/ui/ModalScript.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QTest>

using Buttons = QList<QMessageBox::StandardButton>;
Q_DECLARE_METATYPE(QMessageBox::Icon)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

namespace {

Buttons ButtonsOf(const QMessageBox& box)
{
    Buttons list;
    for (QAbstractButton* b : box.buttons())
        list.append(box.standardButton(b));
    std::sort(list.begin(), list.end());
    return list;
}

// A step that presses one standard button of the box with this caption.
ModalScript::Step Press(const QString& caption, QMessageBox::StandardButton which)
{
    return [caption, which](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || box->windowTitle() != caption)
            return false;
        ModalScript::Click(box->button(which));
        return true;
    };
}

} // namespace

class tst_MessageBox : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void styleGivesIconAndButtons_data();
    void styleGivesIconAndButtons();
    void enterPressesTheFirstAnswer_data();
    void enterPressesTheFirstAnswer();
    void captionFitsTheBox_data();
    void captionFitsTheBox();
    void buttonsAreGerman();
    void textIsShownAsWritten();
    void pressedButtonIsTheResult_data();
    void pressedButtonIsTheResult();
    void escapeGivesTheCancellingAnswer_data();
    void escapeGivesTheCancellingAnswer();
    void catalogueMessageCaptionAndText();
    void helpButtonShowsQuickHelpAndReturns();
    void f1ShowsQuickHelpAndReturns();
    void f1WithoutQuickHelpShowsNothing();
    void boxesAreCentredOnTheMainWindow();

private:
    cMessageBoxPresenter m_presenter;
};

void tst_MessageBox::init()
{
    SetMessagePresenter(&m_presenter);
}

void tst_MessageBox::cleanup()
{
    SetMessagePresenter(nullptr);
}

void tst_MessageBox::styleGivesIconAndButtons_data()
{
    QTest::addColumn<uint>("style");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<bool>("help");
    QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
    using B = QMessageBox;
    QTest::newRow("error") << 0x10u << B::Critical << Buttons{B::Ok} << false << B::Ok;
    QTest::newRow("warning") << 0x30u << B::Warning << Buttons{B::Ok} << false << B::Ok;
    QTest::newRow("info") << 0x40u << B::Information << Buttons{B::Ok} << false << B::Ok;
    QTest::newRow("question") << 0x24u << B::Question << Buttons{B::Yes, B::No} << false
                              << B::Yes;
    QTest::newRow("question help") << 0x4024u << B::Question << Buttons{B::Yes, B::No, B::Help}
                                   << true << B::Yes;
    QTest::newRow("yes no cancel help")
        << 0x4023u << B::Question << Buttons{B::Yes, B::No, B::Cancel, B::Help} << true
        << B::Yes;
    QTest::newRow("plain") << 0x0u << B::NoIcon << Buttons{B::Ok} << false << B::Ok;
    QTest::newRow("ok cancel") << 0x1u << B::NoIcon << Buttons{B::Ok, B::Cancel} << false
                               << B::Ok;
    QTest::newRow("retry cancel") << 0x5u << B::NoIcon << Buttons{B::Retry, B::Cancel} << false
                                  << B::Retry;
}

void tst_MessageBox::styleGivesIconAndButtons()
{
    QFETCH(uint, style);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(Buttons, buttons);
    QFETCH(bool, help);
    QFETCH(QMessageBox::StandardButton, defaultButton);
    std::sort(buttons.begin(), buttons.end());
    CMessageBox box("Titel", "Text", style);
    QCOMPARE(box.icon(), icon);
    QCOMPARE(ButtonsOf(box), buttons);
    QCOMPARE(box.HelpButton() != nullptr, help);
    // The first answer button is the default (Yes before No before Cancel), never the
    // help button.
    QVERIFY(box.defaultButton());
    QCOMPARE(box.standardButton(box.defaultButton()), defaultButton);
}

void tst_MessageBox::enterPressesTheFirstAnswer_data()
{
    QTest::addColumn<uint>("style");
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << 0x40u << int(ResultOk);
    QTest::newRow("yes no") << 0x4024u << int(ResultYes);
    QTest::newRow("yes no cancel") << 0x4023u << int(ResultYes);
}

void tst_MessageBox::enterPressesTheFirstAnswer()
{
    QFETCH(uint, style);
    QFETCH(int, result);
    ModalScript script({[](QWidget* modal) {
        QTimer::singleShot(0, modal, [modal] {
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : modal,
                            Qt::Key_Return);
        });
        return true;
    }});
    QCOMPARE(MessagePresenter().Present("Enter", "Text", style), result);
    QVERIFY(script.Done());
}

void tst_MessageBox::captionFitsTheBox_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("caption");
    QTest::newRow("403") << 403 << QString::fromUtf8("Prüfungssimulation beenden?   (Frage #4)");
    QTest::newRow("404") << 404 << QString::fromUtf8("Prüfungsauswertung beenden?   (Frage #5)");
    QTest::newRow("304") << 304
                         << QString::fromUtf8("Fragebogen nicht wechselbar   (Meldung #5)");
    QTest::newRow("105") << 105 << QStringLiteral("Fehler   (Fehler #6)");
}

void tst_MessageBox::captionFitsTheBox()
{
    QFETCH(int, id);
    QFETCH(QString, caption);
    int width = 0;
    QFont font;
    QString shown;
    ModalScript script({[&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || !box->isVisible())
            return false;
        shown = box->windowTitle();
        width = box->width();
        font = box->font();
        ModalScript::Click(box->defaultButton());
        return true;
    }});
    (void)ShowMessage(id, "");
    QVERIFY(script.Done());
    QCOMPARE(shown, caption);
    // The title bar shows the caption in bold beside its icon and buttons.
    font.setBold(true);
    const int captionWidth = QFontMetrics(font).horizontalAdvance(caption);
    QVERIFY2(width >= captionWidth + 100,
             qPrintable(QStringLiteral("%1 < %2 + 100").arg(width).arg(captionWidth)));
}

void tst_MessageBox::buttonsAreGerman()
{
    CMessageBox box("T", "x", StyleYesNoCancel | StyleHelp);
    QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("&Ja"));
    QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("&Nein"));
    QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    QCOMPARE(box.button(QMessageBox::Help)->text(), QStringLiteral("&Hilfe"));
    CMessageBox ok("T", "x", StyleOk);
    QCOMPARE(ok.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
}

void tst_MessageBox::textIsShownAsWritten()
{
    // Windows-1252 bytes, CR LF line breaks and markup-like text from a file name.
    const std::string caption = Cp1252FromUtf8("Prüfung");
    const std::string text = Cp1252FromUtf8("Zeile 1\r\n<b>Größe</b> & mehr");
    CMessageBox box(caption, text, StyleIconInfo);
    QCOMPARE(box.windowTitle(), QString::fromUtf8("Prüfung"));
    QCOMPARE(box.text(), QString::fromUtf8("Zeile 1\n<b>Größe</b> & mehr"));
    QCOMPARE(box.textFormat(), Qt::PlainText);
}

void tst_MessageBox::pressedButtonIsTheResult_data()
{
    QTest::addColumn<uint>("style");
    QTest::addColumn<QMessageBox::StandardButton>("press");
    QTest::addColumn<int>("result");
    QTest::newRow("ok") << 0x40u << QMessageBox::Ok << int(ResultOk);
    QTest::newRow("yes") << 0x24u << QMessageBox::Yes << int(ResultYes);
    QTest::newRow("no") << 0x4024u << QMessageBox::No << int(ResultNo);
    QTest::newRow("cancel") << 0x4023u << QMessageBox::Cancel << int(ResultCancel);
    QTest::newRow("yes of three") << 0x4023u << QMessageBox::Yes << int(ResultYes);
}

void tst_MessageBox::pressedButtonIsTheResult()
{
    QFETCH(uint, style);
    QFETCH(QMessageBox::StandardButton, press);
    QFETCH(int, result);
    ModalScript script({Press(QStringLiteral("Frage"), press)});
    QCOMPARE(MessagePresenter().Present("Frage", "Wirklich?", style), result);
    QVERIFY(script.Done());
    QVERIFY(!script.TimedOut());
}

void tst_MessageBox::escapeGivesTheCancellingAnswer_data()
{
    QTest::addColumn<uint>("style");
    QTest::addColumn<int>("result");
    QTest::newRow("ok box") << 0x10u << int(ResultOk);
    QTest::newRow("yes no") << 0x4024u << int(ResultNo);
    QTest::newRow("yes no cancel") << 0x4023u << int(ResultCancel);
}

void tst_MessageBox::escapeGivesTheCancellingAnswer()
{
    QFETCH(uint, style);
    QFETCH(int, result);
    ModalScript script({[](QWidget* modal) {
        QTimer::singleShot(0, modal, [modal] { QTest::keyClick(modal, Qt::Key_Escape); });
        return true;
    }});
    QCOMPARE(MessagePresenter().Present("Esc", "Text", style), result);
    QVERIFY(script.Done());
}

void tst_MessageBox::catalogueMessageCaptionAndText()
{
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    ModalScript script({[&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        ModalScript::Click(box->button(QMessageBox::Ok));
        return true;
    }});
    QCOMPARE(ShowMessage(105, ""), int(ResultOk));
    QCOMPARE(caption, QStringLiteral("Fehler   (Fehler #6)"));
    QCOMPARE(text, QStringLiteral("Datei konnte nicht gespeichert werden"));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(CurrentMessageId(), 0);
}

void tst_MessageBox::helpButtonShowsQuickHelpAndReturns()
{
    const QString caption = QString::fromUtf8("Aufgabe löschen?   (Frage #3)");
    QString helpCaption;
    QString helpText;
    int idDuringHelp = -1;
    QMessageBox::Icon helpIcon = QMessageBox::NoIcon;
    ModalScript script({
        [&](QWidget* modal) {
            auto* box = qobject_cast<CMessageBox*>(modal);
            if (!box || box->windowTitle() != caption)
                return false;
            ModalScript::Click(box->HelpButton());
            return true;
        },
        [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box || box->windowTitle() == caption)
                return false;
            helpCaption = box->windowTitle();
            helpText = box->text();
            idDuringHelp = CurrentMessageId();
            helpIcon = box->icon();
            ModalScript::Click(box->button(QMessageBox::Ok));
            return true;
        },
        // Back in the first box, which still waits for its answer.
        Press(caption, QMessageBox::Yes),
    });
    QCOMPARE(ShowMessage(402, ""), int(ResultYes));
    QVERIFY(script.Done());
    QCOMPARE(helpCaption, QStringLiteral("Schnellhilfe zu Frage #3"));
    QVERIFY(helpText.startsWith(QStringLiteral("Schnellhilfe zu  Frage #3\n\n")));
    QVERIFY(helpText.contains(QString::fromUtf8("unwiderruflich löschen")));
    QCOMPARE(idDuringHelp, 402);
    QCOMPARE(helpIcon, QMessageBox::Information);
    QCOMPARE(CurrentMessageId(), 0);
}

void tst_MessageBox::f1ShowsQuickHelpAndReturns()
{
    // F1 in the quick help itself opens nothing more.
    const QString caption = QString::fromUtf8("Statistik zurücksetzen?   (Frage #2)");
    QSet<QWidget*> helpBoxes;
    int ticks = 0;
    auto pressF1 = [](QWidget* modal) {
        QTimer::singleShot(0, modal, [modal] { QTest::keyClick(modal, Qt::Key_F1); });
    };
    ModalScript script({
        [&](QWidget* modal) {
            if (modal->windowTitle() != caption)
                return false;
            pressF1(modal);
            return true;
        },
        [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box || box->windowTitle() != QStringLiteral("Schnellhilfe zu Frage #2"))
                return false;
            helpBoxes.insert(box);
            if (++ticks == 1)
                pressF1(box);
            if (ticks < 6)
                return false; // give a wrong third box time to appear
            ModalScript::Click(box->button(QMessageBox::Ok));
            return true;
        },
        Press(caption, QMessageBox::No),
    });
    QCOMPARE(ShowMessage(401, ""), int(ResultNo));
    QVERIFY(script.Done());
    QCOMPARE(helpBoxes.size(), 1);
}

void tst_MessageBox::f1WithoutQuickHelpShowsNothing()
{
    // Message 105 has no quick help: F1 leaves the box alone, OK then closes it.
    const QString caption = QStringLiteral("Fehler   (Fehler #6)");
    int seen = 0;
    ModalScript script({
        [&](QWidget* modal) {
            if (modal->windowTitle() != caption)
                return false;
            QTimer::singleShot(0, modal, [modal] { QTest::keyClick(modal, Qt::Key_F1); });
            return true;
        },
        [&](QWidget* modal) {
            ++seen;
            if (seen < 5)
                return false; // give a wrong second box time to appear
            if (modal->windowTitle() != caption)
                return false;
            ModalScript::Click(qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok));
            return true;
        },
    });
    QCOMPARE(ShowMessage(105, ""), int(ResultOk));
    QVERIFY(script.Done());
}

void tst_MessageBox::boxesAreCentredOnTheMainWindow()
{
    // Also while no window is active (no window manager, another program in front):
    // a catalogue message and the exam verdict stand over the main window.
    QMainWindow main;
    main.setGeometry(0, 0, 500, 360);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QApplication::setActiveWindow(nullptr);
    QList<QPoint> centres;
    auto note = [&](QWidget* modal) {
        centres << modal->frameGeometry().center();
        ModalScript::Click(qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok));
        return true;
    };
    ModalScript script({note, note});
    (void)ShowMessage(105, "");
    (void)m_presenter.Present("Ergebnis", "Erreicht 12, Benötigt 10\r\nBESTANDEN!!", 0);
    QVERIFY(script.Done());
    for (const QPoint& centre : std::as_const(centres))
        QVERIFY2((centre - main.frameGeometry().center()).manhattanLength() <= 4,
                 qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
}

QTEST_MAIN(tst_MessageBox)
#include "tst_messagebox.moc"
