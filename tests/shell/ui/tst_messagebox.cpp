// Message boxes of the window: what a box looks like for each style, which button or key
// gives which answer, and the quick help that the help button and F1 open over a waiting
// box.

#include "ui/MessageBoxPresenter.h"

#include "base/Cp1252.h"
#include "base/Message.h"
#include "shell/ui/ModalScript.h"

#include <QtWidgets>
#include <QtTest>

using Buttons = QList<QMessageBox::StandardButton>;
Q_DECLARE_METATYPE(QMessageBox::Icon)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

namespace {

const QMap<QMessageBox::StandardButton, int> kResults{
    {QMessageBox::Ok, ResultOk}, {QMessageBox::Yes, ResultYes}, {QMessageBox::No, ResultNo},
    {QMessageBox::Cancel, ResultCancel}};

// Presses a key in a window after the current event has been handled.
void PressKey(QWidget* window, Qt::Key key) {
    QTimer::singleShot(0, window, [window, key] {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(key == Qt::Key_Return && focus ? focus : window, key);
    });
}

} // namespace

class tst_MessageBox : public QObject {
    Q_OBJECT
    cMessageBoxPresenter m_presenter;

private slots:
    void init() { SetMessagePresenter(&m_presenter); }
    void cleanup() { SetMessagePresenter(nullptr); }

    void styleGivesLookAndAnswers_data() {
        QTest::addColumn<uint>("style"); QTest::addColumn<QMessageBox::Icon>("icon");
        QTest::addColumn<Buttons>("buttons"); // in the order of their values
        QTest::addColumn<QMessageBox::StandardButton>("defaultButton");
        QTest::addColumn<int>("enter"); QTest::addColumn<int>("esc"); // 0: not pressed
        using B = QMessageBox;
        QTest::newRow("error") << 0x10u << B::Critical << Buttons{B::Ok} << B::Ok << 0 << int(ResultOk);
        QTest::newRow("warning") << 0x30u << B::Warning << Buttons{B::Ok} << B::Ok << 0 << 0;
        QTest::newRow("info") << 0x40u << B::Information << Buttons{B::Ok} << B::Ok << int(ResultOk) << 0;
        QTest::newRow("question") << 0x24u << B::Question << Buttons{B::Yes, B::No} << B::Yes << 0 << 0;
        QTest::newRow("question help") << 0x4024u << B::Question << Buttons{B::Yes, B::No, B::Help}
                                       << B::Yes << int(ResultYes) << int(ResultNo);
        QTest::newRow("yes no cancel help") << 0x4023u << B::Question
                                            << Buttons{B::Yes, B::No, B::Cancel, B::Help} << B::Yes
                                            << int(ResultYes) << int(ResultCancel);
        QTest::newRow("plain") << 0x0u << B::NoIcon << Buttons{B::Ok} << B::Ok << 0 << 0;
        QTest::newRow("ok cancel") << 0x1u << B::NoIcon << Buttons{B::Ok, B::Cancel} << B::Ok << 0 << 0;
        QTest::newRow("retry cancel") << 0x5u << B::NoIcon << Buttons{B::Retry, B::Cancel} << B::Retry
                                      << 0 << 0;
    }

    void styleGivesLookAndAnswers() {
        QFETCH(uint, style); QFETCH(QMessageBox::Icon, icon); QFETCH(Buttons, buttons);
        QFETCH(QMessageBox::StandardButton, defaultButton); QFETCH(int, enter); QFETCH(int, esc);
        CMessageBox box("Titel", "Text", style);
        QCOMPARE(box.icon(), icon);
        Buttons shown;
        for (QAbstractButton* b : box.buttons())
            shown << box.standardButton(b);
        std::sort(shown.begin(), shown.end());
        QCOMPARE(shown, buttons);
        QCOMPARE(box.HelpButton() != nullptr, buttons.contains(QMessageBox::Help));
        // The first answer button is the default (Yes before No before Cancel), never the
        // help button.
        QVERIFY(box.defaultButton());
        QCOMPARE(box.standardButton(box.defaultButton()), defaultButton);

        // Each answer button, Enter (the first answer) and Esc (the cancelling one).
        const auto answer = [style](const std::function<void(QMessageBox*)>& act) {
            ModalScript script({[&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                if (!box || box->windowTitle() != QStringLiteral("Frage"))
                    return false;
                act(box);
                return true;
            }});
            const int result = MessagePresenter().Present("Frage", "Wirklich?", style);
            return script.Done() && !script.TimedOut() ? result : -1;
        };
        for (QMessageBox::StandardButton b : buttons)
            if (kResults.contains(b))
                QCOMPARE(answer([b](QMessageBox* box) { ModalScript::Click(box->button(b)); }), kResults[b]);
        if (enter)
            QCOMPARE(answer([](QMessageBox* box) { PressKey(box, Qt::Key_Return); }), enter);
        if (esc)
            QCOMPARE(answer([](QMessageBox* box) { PressKey(box, Qt::Key_Escape); }), esc);
    }

    void textsAreShownAsWritten() {
        // Windows-1252 bytes, CR LF line breaks and markup-like text from a file name.
        CMessageBox box(Cp1252FromUtf8("Prüfung"), Cp1252FromUtf8("Zeile 1\r\n<b>Größe</b> & mehr"),
                        StyleIconInfo);
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

    void captionFitsTheBox() {
        // The title bar shows the caption in bold beside its icon and buttons (the longest
        // captions of the catalogue).
        for (int id : {403, 404, 304}) {
            int width = 0; QFont font; QString caption;
            ModalScript script({[&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                if (!box)
                    return false;
                caption = box->windowTitle(); width = box->width(); font = box->font();
                ModalScript::Click(box->defaultButton());
                return true;
            }});
            (void)ShowMessage(id, "");
            QVERIFY(script.Done());
            QCOMPARE(CurrentMessageId(), 0);
            font.setBold(true);
            const int needed = QFontMetrics(font).horizontalAdvance(caption) + 100;
            QVERIFY2(caption.size() > 35 && width >= needed,
                     qPrintable(QStringLiteral("%1: %2 < %3").arg(caption).arg(width).arg(needed)));
        }
    }

    void quickHelpOverTheBox_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("byButton"); // the help button, else F1
        QTest::addColumn<QString>("help");  // the quick help's caption, empty: none comes up
        QTest::addColumn<int>("answer");    // given afterwards in the waiting box
        QTest::newRow("help button") << 402 << true << "Schnellhilfe zu Frage #3" << int(ResultYes);
        QTest::newRow("F1") << 401 << false << "Schnellhilfe zu Frage #2" << int(ResultNo);
        QTest::newRow("F1 without quick help") << 105 << false << "" << int(ResultOk);
    }

    void quickHelpOverTheBox() {
        QFETCH(int, id); QFETCH(bool, byButton); QFETCH(QString, help); QFETCH(int, answer);
        // What the script sees: the box, the quick help boxes over it and what they show.
        QWidget* first = nullptr; QSet<QWidget*> helpBoxes; QStringList shown;
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
                    shown << QStringLiteral("%1, icon %2, box %3").arg(box->windowTitle()).arg(box->icon())
                                 .arg(CurrentMessageId());
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
                ModalScript::Click(qobject_cast<QMessageBox*>(modal)->button(kResults.key(answer)));
                return true;
            },
        });
        QCOMPARE(ShowMessage(id, ""), answer);
        QVERIFY(script.Done());
        // Over the first box, which stays the current one.
        QCOMPARE(shown, help.isEmpty() ? QStringList()
                                       : QStringList{QStringLiteral("%1, icon %2, box %3").arg(help)
                                                         .arg(QMessageBox::Information).arg(id)});
        QCOMPARE(CurrentMessageId(), 0);
    }

    void boxesAreCentredOnTheMainWindow() {
        // Also while no window is active (no window manager, another program in front):
        // a catalogue message and the exam verdict stand over the main window.
        QMainWindow main;
        main.setGeometry(0, 0, 500, 360); main.show();
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
};

QTEST_MAIN(tst_MessageBox)
#include "tst_messagebox.moc"
