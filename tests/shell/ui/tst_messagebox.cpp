// Message boxes of the window: what a box looks like for each style, which button or key
// gives which answer, and the quick help that the help button and F1 open over a waiting
// box.

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

Buttons ButtonsOf(const QMessageBox& box) {
    Buttons list;
    for (QAbstractButton* b : box.buttons())
        list.append(box.standardButton(b));
    std::sort(list.begin(), list.end());
    return list;
}

// Presses a key in a window after the current event has been handled.
void PressKey(QWidget* window, Qt::Key key) {
    QTimer::singleShot(0, window, [window, key] {
        QTest::keyClick(key == Qt::Key_Return && QApplication::focusWidget() ? QApplication::focusWidget()
                                                                             : window,
                        key);
    });
}

QMessageBox::StandardButton ButtonFor(int result) {
    return result == ResultYes ? QMessageBox::Yes
         : result == ResultNo  ? QMessageBox::No
         : result == ResultCancel ? QMessageBox::Cancel
                                  : QMessageBox::Ok;
}

} // namespace

class tst_MessageBox : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void styleGivesIconAndButtons_data();
    void styleGivesIconAndButtons();
    void textsAreShownAsWritten();
    void answers_data();
    void answers();
    void captionFitsTheBox_data();
    void captionFitsTheBox();
    void quickHelpOverTheBox_data();
    void quickHelpOverTheBox();
    void boxesAreCentredOnTheMainWindow();

private:
    cMessageBoxPresenter m_presenter;
};

void tst_MessageBox::init() {
    SetMessagePresenter(&m_presenter);
}

void tst_MessageBox::cleanup() {
    SetMessagePresenter(nullptr);
}

void tst_MessageBox::styleGivesIconAndButtons_data() {
    QTest::addColumn<uint>("style");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::addColumn<Buttons>("buttons");
    QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
    using B = QMessageBox;
    QTest::newRow("error") << 0x10u << B::Critical << Buttons{B::Ok} << B::Ok;
    QTest::newRow("warning") << 0x30u << B::Warning << Buttons{B::Ok} << B::Ok;
    QTest::newRow("info") << 0x40u << B::Information << Buttons{B::Ok} << B::Ok;
    QTest::newRow("question") << 0x24u << B::Question << Buttons{B::Yes, B::No} << B::Yes;
    QTest::newRow("question help") << 0x4024u << B::Question << Buttons{B::Yes, B::No, B::Help}
                                   << B::Yes;
    QTest::newRow("yes no cancel help")
        << 0x4023u << B::Question << Buttons{B::Yes, B::No, B::Cancel, B::Help} << B::Yes;
    QTest::newRow("plain") << 0x0u << B::NoIcon << Buttons{B::Ok} << B::Ok;
    QTest::newRow("ok cancel") << 0x1u << B::NoIcon << Buttons{B::Ok, B::Cancel} << B::Ok;
    QTest::newRow("retry cancel") << 0x5u << B::NoIcon << Buttons{B::Retry, B::Cancel} << B::Retry;
}

void tst_MessageBox::styleGivesIconAndButtons() {
    QFETCH(uint, style);
    QFETCH(QMessageBox::Icon, icon);
    QFETCH(Buttons, buttons);
    QFETCH(QMessageBox::StandardButton, defaultButton);
    std::sort(buttons.begin(), buttons.end());
    CMessageBox box("Titel", "Text", style);
    QCOMPARE(box.icon(), icon);
    QCOMPARE(ButtonsOf(box), buttons);
    QCOMPARE(box.HelpButton() != nullptr, buttons.contains(QMessageBox::Help));
    // The first answer button is the default (Yes before No before Cancel), never the
    // help button.
    QVERIFY(box.defaultButton());
    QCOMPARE(box.standardButton(box.defaultButton()), defaultButton);
}

void tst_MessageBox::textsAreShownAsWritten() {
    // Windows-1252 bytes, CR LF line breaks and markup-like text from a file name.
    const std::string caption = Cp1252FromUtf8("Prüfung");
    const std::string text = Cp1252FromUtf8("Zeile 1\r\n<b>Größe</b> & mehr");
    CMessageBox box(caption, text, StyleIconInfo);
    QCOMPARE(box.windowTitle(), QString::fromUtf8("Prüfung"));
    QCOMPARE(box.text(), QString::fromUtf8("Zeile 1\n<b>Größe</b> & mehr"));
    QCOMPARE(box.textFormat(), Qt::PlainText);
    // The buttons speak German.
    CMessageBox three("T", "x", StyleYesNoCancel | StyleHelp);
    QStringList texts;
    for (auto b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel, QMessageBox::Help})
        texts << three.button(b)->text();
    texts << CMessageBox("T", "x", StyleOk).button(QMessageBox::Ok)->text();
    QCOMPARE(texts, QStringList({"&Ja", "&Nein", "Abbrechen", "&Hilfe", "OK"}));
}

void tst_MessageBox::answers_data() {
    // A button pressed, or else Enter (the first answer) or Esc (the cancelling one).
    QTest::addColumn<uint>("style");
    QTest::addColumn<int>("key");
    QTest::addColumn<QMessageBox::StandardButton>("press");
    QTest::addColumn<int>("result");
    const int click = 0;
    const auto none = QMessageBox::NoButton;
    QTest::newRow("ok") << 0x40u << click << QMessageBox::Ok << int(ResultOk);
    QTest::newRow("yes") << 0x24u << click << QMessageBox::Yes << int(ResultYes);
    QTest::newRow("no") << 0x4024u << click << QMessageBox::No << int(ResultNo);
    QTest::newRow("cancel") << 0x4023u << click << QMessageBox::Cancel << int(ResultCancel);
    QTest::newRow("yes of three") << 0x4023u << click << QMessageBox::Yes << int(ResultYes);
    QTest::newRow("Enter, ok") << 0x40u << int(Qt::Key_Return) << none << int(ResultOk);
    QTest::newRow("Enter, yes no") << 0x4024u << int(Qt::Key_Return) << none << int(ResultYes);
    QTest::newRow("Enter, three") << 0x4023u << int(Qt::Key_Return) << none << int(ResultYes);
    QTest::newRow("Esc, ok") << 0x10u << int(Qt::Key_Escape) << none << int(ResultOk);
    QTest::newRow("Esc, yes no") << 0x4024u << int(Qt::Key_Escape) << none << int(ResultNo);
    QTest::newRow("Esc, three") << 0x4023u << int(Qt::Key_Escape) << none << int(ResultCancel);
}

void tst_MessageBox::answers() {
    QFETCH(uint, style);
    QFETCH(int, key);
    QFETCH(QMessageBox::StandardButton, press);
    QFETCH(int, result);
    ModalScript script({[&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box || box->windowTitle() != QStringLiteral("Frage"))
            return false;
        if (key != 0)
            PressKey(modal, Qt::Key(key));
        else
            ModalScript::Click(box->button(press));
        return true;
    }});
    QCOMPARE(MessagePresenter().Present("Frage", "Wirklich?", style), result);
    QVERIFY(script.Done());
    QVERIFY(!script.TimedOut());
}

void tst_MessageBox::captionFitsTheBox_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("caption");
    QTest::newRow("403") << 403 << QString::fromUtf8("Prüfungssimulation beenden?   (Frage #4)");
    QTest::newRow("404") << 404 << QString::fromUtf8("Prüfungsauswertung beenden?   (Frage #5)");
    QTest::newRow("304") << 304
                         << QString::fromUtf8("Fragebogen nicht wechselbar   (Meldung #5)");
    QTest::newRow("105") << 105 << QStringLiteral("Fehler   (Fehler #6)");
}

void tst_MessageBox::captionFitsTheBox() {
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
    QCOMPARE(CurrentMessageId(), 0);
    // The title bar shows the caption in bold beside its icon and buttons.
    font.setBold(true);
    const int captionWidth = QFontMetrics(font).horizontalAdvance(caption);
    QVERIFY2(width >= captionWidth + 100,
             qPrintable(QStringLiteral("%1 < %2 + 100").arg(width).arg(captionWidth)));
}

void tst_MessageBox::quickHelpOverTheBox_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("byButton");  // the help button, else F1
    QTest::addColumn<QString>("help");   // the quick help's caption, empty: none comes up
    QTest::addColumn<QString>("part");   // a part of its text
    QTest::addColumn<int>("answer");     // given afterwards in the waiting box
    QTest::newRow("help button") << 402 << true << "Schnellhilfe zu Frage #3"
                                 << QString::fromUtf8("unwiderruflich löschen") << int(ResultYes);
    QTest::newRow("F1") << 401 << false << "Schnellhilfe zu Frage #2" << "" << int(ResultNo);
    QTest::newRow("F1 without quick help") << 105 << false << "" << "" << int(ResultOk);
}

void tst_MessageBox::quickHelpOverTheBox() {
    QFETCH(int, id);
    QFETCH(bool, byButton);
    QFETCH(QString, help);
    QFETCH(QString, part);
    QFETCH(int, answer);
    QWidget* first = nullptr;
    QSet<QWidget*> helpBoxes;
    QString helpCaption;
    QString helpText;
    int idDuringHelp = -1;
    QMessageBox::Icon helpIcon = QMessageBox::NoIcon;
    int ticks = 0;
    ModalScript script({
        [&](QWidget* modal) {
            first = modal;
            if (byButton)
                ModalScript::Click(qobject_cast<CMessageBox*>(modal)->HelpButton());
            else
                PressKey(modal, Qt::Key_F1);
            return true;
        },
        // Watch for a while: F1 in the quick help itself opens nothing more.
        [&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (modal != first && !helpBoxes.contains(modal)) {
                helpBoxes.insert(modal);
                helpCaption = box->windowTitle();
                helpText = box->text();
                idDuringHelp = CurrentMessageId();
                helpIcon = box->icon();
                PressKey(modal, Qt::Key_F1);
            }
            if ((!help.isEmpty() && helpBoxes.isEmpty()) || ++ticks < 8)
                return false;
            if (modal != first)
                ModalScript::Click(box->button(QMessageBox::Ok));
            return true;
        },
        // Back in the first box, which still waits for its answer.
        [&](QWidget* modal) {
            if (modal != first)
                return false;
            ModalScript::Click(qobject_cast<QMessageBox*>(modal)->button(ButtonFor(answer)));
            return true;
        },
    });
    QCOMPARE(ShowMessage(id, ""), answer);
    QVERIFY(script.Done());
    QCOMPARE(helpBoxes.size(), help.isEmpty() ? 0 : 1);
    if (!help.isEmpty()) {
        QCOMPARE(helpCaption, help);
        QVERIFY(helpText.startsWith(QStringLiteral("Schnellhilfe zu  ") + help.mid(16) + "\n\n"));
        QVERIFY(helpText.contains(part));
        QCOMPARE(idDuringHelp, id);
        QCOMPARE(helpIcon, QMessageBox::Information);
    }
    QCOMPARE(CurrentMessageId(), 0);
}

void tst_MessageBox::boxesAreCentredOnTheMainWindow() {
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
