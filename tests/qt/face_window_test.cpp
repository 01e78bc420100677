// The phone face window over a real dialog with fake ports: the widgets follow the face
// model, and clicks, keys and menu commands reach the right handlers.
#include "BitmapStatic.h"
#include "CMyButton.h"
#include "DialerWindow.h"
#include "FaceIds.h"
#include "FakePorts.h"
#include "ImageKey.h"
#include "ModelText.h"
#include "Protocol.h"
#include "Skin.h"
#include "SoftKey.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QTreeView>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>

using namespace orvane;

namespace {

struct WindowRig {
    test::DialerRig rig;
    std::unique_ptr<DialerWindow> window;

    explicit WindowRig(int screenWidth = 1280) {
        rig.platform.screenWidth = screenWidth;
        rig.Init();
        rig.Address();
        window = std::make_unique<DialerWindow>(*rig.dlg);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    FaceModel& face() { return rig.face(); }
    CDialerDlg& dlg() { return *rig.dlg; }
    template <class T> T* widget(int id) { return qobject_cast<T*>(window->control(id)); }
    // Runs a change of the model as a handler would, window brought in step afterwards.
    void change(const std::function<void()>& f) { window->callCore(f); }
    std::vector<std::string> sent() { return rig.Sent(); }
    bool sentText(const std::string& text) {
        const auto texts = sent();
        return std::find(texts.begin(), texts.end(), text) != texts.end();
    }
};

// Every control's widget shows what the model holds.
void expectInStep(WindowRig& r) {
    DialerWindow& w = *r.window;
    const FaceModel& face = r.face();
    for (const Control& c : face.Controls()) {
        SCOPED_TRACE("control " + std::to_string(c.id));
        QWidget* widget = w.control(c.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->isVisibleTo(&w), c.visible);
        EXPECT_EQ(widget->isEnabled(), c.enabled);
        const orvane::DluRect& d = c.rect;
        const QRect place = w.units().rect(d.x, d.y, d.w, d.h);
        if (c.kind == ControlKind::Bitmap && c.sizeToImage) {
            // The control takes its picture's size where it stands.
            EXPECT_EQ(widget->pos(), place.topLeft());
            const QPixmap picture = orvane::skin::Bitmap(c.bitmap);
            if (!picture.isNull()) {
                EXPECT_EQ(widget->size(), picture.size());
            }
        } else if ((c.kind == ControlKind::Text && c.vcenter) || c.kind == ControlKind::Edit) {
            // At least one line of its font high, over all of its place.
            EXPECT_EQ(widget->x(), place.x());
            EXPECT_EQ(widget->width(), place.width());
            EXPECT_TRUE(widget->geometry().contains(place));
            EXPECT_GE(widget->height(), QFontMetrics(widget->font()).height());
        } else {
            EXPECT_EQ(widget->geometry(), place);
        }
        if (c.font != FontId::Dialog) {
            EXPECT_EQ(QFontMetrics(widget->font()).height(),
                      FaceModel::FontHeight(c.font, face.FontBHeight()));
        }
        const QString text = modeltext::toQt(c.text);
        switch (c.kind) {
        case ControlKind::PushButton:
            EXPECT_EQ(qobject_cast<SoftKey*>(widget)->label(), text);
            break;
        case ControlKind::ImageButton:
            EXPECT_EQ(qobject_cast<ImageKey*>(widget)->bitmap(), c.bitmap);
            break;
        case ControlKind::MyButton:
            EXPECT_EQ(qobject_cast<CMyButton*>(widget)->images(), c.images);
            break;
        case ControlKind::Text: EXPECT_EQ(qobject_cast<QLabel*>(widget)->text(), text); break;
        case ControlKind::Bitmap:
            EXPECT_EQ(qobject_cast<BitmapStatic*>(widget)->bitmap(), c.bitmap);
            break;
        case ControlKind::Edit: {
            auto* edit = qobject_cast<QLineEdit*>(widget);
            EXPECT_EQ(edit->text(), text);
            EXPECT_EQ(edit->echoMode() == QLineEdit::Password, c.password);
            break;
        }
        case ControlKind::Slider: {
            auto* slider = qobject_cast<QSlider*>(widget);
            EXPECT_EQ(slider->value(), c.pos);
            EXPECT_EQ(slider->minimum(), c.rangeMin);
            EXPECT_EQ(slider->maximum(), c.rangeMax);
            break;
        }
        case ControlKind::List: {
            auto* tree = qobject_cast<QTreeView*>(widget);
            EXPECT_EQ(tree->model()->rowCount(), static_cast<int>(c.list.rows.size()));
            EXPECT_EQ(tree->model()->columnCount(), static_cast<int>(c.list.columns.size()));
            break;
        }
        }
    }
    EXPECT_EQ(w.windowTitle(), modeltext::toQt(face.Caption()));
    for (const MenuItem& item : face.MenuItems()) {
        if (item.id == 0) continue;
        SCOPED_TRACE("menu " + std::to_string(item.id));
        EXPECT_EQ(w.menuAction(item.id)->isEnabled(), item.enabled);
        EXPECT_EQ(w.menuAction(item.id)->isChecked(), item.checked);
    }
}

} // namespace

TEST(FaceWindow, StartsInStepWithTheFaceAndFollowsEveryKindOfChange) {
    WindowRig r;
    EXPECT_EQ(r.window->windowTitle(), QStringLiteral("Orvane's SIP Dialer"));
    expectInStep(r);

    struct Step {
        const char* what;
        std::function<void(FaceModel&)> change;
    };
    const Step steps[] = {
        {"display text and a soft key label",
         [](FaceModel& f) {
             f.SetText(Ctl::DisplayLine1, "Line one");
             f.SetText(Ctl::F1, "Redial & more");
         }},
        {"slider shown and moved",
         [](FaceModel& f) {
             f.Show(Ctl::VolumeSlider, true);
             f.SetSliderPos(Ctl::VolumeSlider, 40);
         }},
        {"SEND disabled", [](FaceModel& f) { f.Enable(Ctl::Send, false); }},
        {"icon key given a picture and shown",
         [](FaceModel& f) {
             f.SetImages(Ctl::EditKey, {Bmp::Edit, 0, 0, 0});
             f.Show(Ctl::EditKey, true);
             f.Show(Ctl::F1, false);
         }},
        {"long text font on line 0", [](FaceModel& f) { f.SetFont(Ctl::DisplayLine0, FontId::C); }},
        {"status picture replaced and shown",
         [](FaceModel& f) {
             f.SetBitmap(Ctl::StatusIcon, Bmp::Envelope);
             f.Show(Ctl::StatusIcon, true);
         }},
        {"masked entry",
         [](FaceModel& f) {
             f.SetPassword(Ctl::EntryEdit, true);
             f.SetText(Ctl::EntryEdit, "secret");
         }},
        {"wide screen soft-key font", [](FaceModel& f) { f.SetFontBHeight(20); }},
        {"menu and caption",
         [](FaceModel& f) {
             f.EnableMenu(Menu::AttachPrivate, true);
             f.CheckMenu(Menu::NameFirst, true);
             f.SetCaption("Another caption");
         }},
        {"menu check removed", [](FaceModel& f) { f.CheckMenu(Menu::NameFirst, false); }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        r.change([&] { step.change(r.face()); });
        expectInStep(r);
    }
    // What the user sees of those changes.
    EXPECT_EQ(r.widget<CMyButton>(Ctl::Send)->currentImage(), Bmp::SendDisabled);
    auto* entry = r.widget<QLineEdit>(Ctl::EntryEdit);
    EXPECT_EQ(entry->displayText(), QStringLiteral("******"));
}

TEST(FaceWindow, FontsAreArialBoldOfTheGivenCellHeights) {
    for (const int screen : {1919, 1920}) {
        SCOPED_TRACE(screen);
        WindowRig r(screen);
        const int b = screen >= 1920 ? 20 : 16;
        const struct {
            int id;
            int height;
        } expected[] = {{Ctl::DisplayLine0, 32},
                        {Ctl::EntryEdit, 32},
                        {Ctl::DisplayLine1, b},
                        {Ctl::F2, b},
                        {Ctl::PhonebookList, b}};
        for (const auto& e : expected) {
            const QFont font = r.window->control(e.id)->font();
            EXPECT_EQ(QFontMetrics(font).height(), e.height) << e.id;
            EXPECT_TRUE(font.bold()) << e.id;
        }
    }
}

TEST(FaceWindow, AListFillsRowByRowWithoutBeingRebuilt) {
    WindowRig r;
    auto* tree = r.widget<QTreeView>(Ctl::CallLogList);
    QSignalSpy resets(tree->model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserts(tree->model(), &QAbstractItemModel::rowsInserted);
    r.change([&] { r.face().Show(Ctl::CallLogList, true); });

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 3000; ++i) {
        r.change([&] {
            const int row = r.face().ListInsertRow(Ctl::CallLogList, i, std::to_string(i), i % 3);
            r.face().ListSetItemText(Ctl::CallLogList, row, 1, "Name " + std::to_string(i));
        });
    }
    const qint64 ms = clock.elapsed();
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(inserts.count(), 3000);
    EXPECT_EQ(tree->model()->rowCount(), 3000);
    EXPECT_EQ(tree->model()->data(tree->model()->index(2999, 1)).toString(),
              QStringLiteral("Name 2999"));
    EXPECT_LT(ms, 5000) << "filling 3000 rows took " << ms << " ms";

    // A changed display line touches no list.
    r.change([&] { r.face().SetText(Ctl::DisplayLine1, "x"); });
    EXPECT_EQ(resets.count(), 0);

    // Rewriting an older row rebuilds once; emptying the list empties the view.
    r.change([&] { r.face().ListSetItemText(Ctl::CallLogList, 5, 1, "Changed"); });
    EXPECT_EQ(resets.count(), 1);
    EXPECT_EQ(tree->model()->data(tree->model()->index(5, 1)).toString(),
              QStringLiteral("Changed"));
    r.change([&] { r.face().ListDeleteAll(Ctl::CallLogList); });
    EXPECT_EQ(tree->model()->rowCount(), 0);
}

TEST(FaceWindow, ACallLogTooWideForOneLineWritesTwoLinesARowAndScrollsNoWaySideways) {
    // Screens below 1920 pixels write the lists at 16 pixels, wider ones at 20.
    for (int screenWidth : {1280, 1920}) {
        SCOPED_TRACE(screenWidth);
        WindowRig r(screenWidth);
        const std::vector<std::vector<std::string>> calls = {
            {"", "Henrik Z. Engel", "+497008169973", "Wed 09.12.2026", "19:46", "00:03:00"},
            {"", "Olga Berg", "0609740473", "Tue 08.12.2026", "07:05", "01:12:09"},
            {"", "", "**21#", "Mon 07.12.2026", "23:59", "00:00:00"}};
        r.change([&] {
            for (int row = 0; row < 12; ++row) {
                const auto& call = calls[static_cast<std::size_t>(row) % calls.size()];
                r.face().ListInsertRow(Ctl::CallLogList, row, call[0], row % 3);
                for (int column = 1; column < 6; ++column)
                    r.face().ListSetItemText(Ctl::CallLogList, row, column,
                                             call[static_cast<std::size_t>(column)]);
            }
            r.face().Show(Ctl::CallLogList, true);
        });
        auto* tree = r.widget<QTreeView>(Ctl::CallLogList);
        ASSERT_NE(tree, nullptr);
        // The number, the time and the duration stand in the name's and the date's cells.
        for (int column = 0; column < 6; ++column)
            EXPECT_EQ(tree->isColumnHidden(column), column == 2 || column == 4 || column == 5)
                << column;
        EXPECT_EQ(tree->horizontalScrollBar()->maximum(), 0) << "the list scrolls sideways";
        EXPECT_EQ(tree->model()->index(0, 1).data(Qt::ToolTipRole).toString(),
                  QStringLiteral("Henrik Z. Engel\n+497008169973"));
        EXPECT_EQ(tree->model()->index(1, 3).data(Qt::AccessibleTextRole).toString(),
                  QStringLiteral("Tue 08.12.2026\n07:05 01:12:09"));
        // Numbers and dates are never cut: their cells are as wide as their texts.
        const QFontMetrics metrics = tree->fontMetrics();
        EXPECT_GE(tree->columnWidth(1), metrics.horizontalAdvance(QStringLiteral("+497008169973")));
        EXPECT_GE(tree->columnWidth(3),
                  metrics.horizontalAdvance(QStringLiteral("Wed 09.12.2026")));
        EXPECT_GE(metrics.height(), 16) << "written too small to read";
        EXPECT_GE(tree->sizeHintForRow(0), 2 * metrics.height());

        // The phonebook's three columns fit side by side: one line a row.
        r.change([&] {
            for (int row = 0; row < 4; ++row) {
                r.face().ListInsertRow(Ctl::PhonebookList, row, std::to_string(row + 1));
                r.face().ListSetItemText(Ctl::PhonebookList, row, 1, "Henrik Z. Engel");
                r.face().ListSetItemText(Ctl::PhonebookList, row, 2, "+497008169973");
            }
            r.face().Show(Ctl::CallLogList, false);
            r.face().Show(Ctl::PhonebookList, true);
        });
        auto* book = r.widget<QTreeView>(Ctl::PhonebookList);
        for (int column = 0; column < 3; ++column)
            EXPECT_FALSE(book->isColumnHidden(column)) << column;
        EXPECT_EQ(book->horizontalScrollBar()->maximum(), 0);
        EXPECT_EQ(book->model()->index(0, 1).data(Qt::ToolTipRole).toString(),
                  QStringLiteral("Henrik Z. Engel"));
        EXPECT_LT(book->sizeHintForRow(0), 2 * book->fontMetrics().height());
    }
}

TEST(FaceWindow, ListRowsShowTheirPicturesAndTheSelection) {
    WindowRig r;
    auto* tree = r.widget<QTreeView>(Ctl::CallLogList);
    r.change([&] {
        for (int i = 0; i < 4; ++i)
            r.face().ListInsertRow(Ctl::CallLogList, i, "r", i);
        r.face().ListSelect(Ctl::CallLogList, 2);
        r.face().Show(Ctl::CallLogList, true);
    });
    // Call types 0, 1 and 2 have pictures; any other value none.
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(tree->model()->index(row, 0).data(Qt::DecorationRole).isValid(), row < 3) << row;
    const QModelIndexList selected = tree->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.first().row(), 2);
}

TEST(FaceWindow, AListClickDeliversTheRowAndNoRowBelowTheLast) {
    WindowRig r;
    CDialerDlg& dlg = r.dlg();
    r.change([&] { dlg.OnDeviceMessage("PBOOK: -1 1 100 Name;2 201 Name;3 302 Name;"); });
    auto* tree = r.widget<QTreeView>(Ctl::PhonebookList);
    r.sent();

    const QPoint onRow1 = tree->visualRect(tree->model()->index(1, 1)).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, onRow1);
    QTest::qWait(20);
    EXPECT_TRUE(r.sentText(proto::Write<proto::OutKeyword::Select>(1)));
    EXPECT_EQ(r.widget<QLineEdit>(Ctl::EntryEdit)->text(), QStringLiteral("201"));

    const QPoint belowRows(onRow1.x(), tree->viewport()->height() - 3);
    ASSERT_FALSE(tree->indexAt(belowRows).isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, belowRows);
    QTest::qWait(20);
    EXPECT_TRUE(r.sent().empty());
    // The click below the rows dropped the pick: the second half of a double click on
    // row 1 dials nothing, until a click on row 1 picks it again.
    r.change([&] { dlg.OnListActivate(Ctl::PhonebookList, 1, true); });
    EXPECT_TRUE(r.sent().empty());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, onRow1);
    QTest::qWait(20);
    r.change([&] { dlg.OnListActivate(Ctl::PhonebookList, 1, true); });
    EXPECT_TRUE(r.sentText(proto::Write<proto::OutKeyword::Dial>("201")));
}

TEST(FaceWindow, EnterSendsTheEntryOnlyFromTheEntryEdit) {
    WindowRig r;
    auto* entry = r.widget<QLineEdit>(Ctl::EntryEdit);
    r.change([&] { r.face().Show(Ctl::EntryEdit, true); });
    r.sent();

    // Enter on a key that has the focus does nothing.
    r.window->control(Ctl::Key5)->setFocus();
    QTest::keyClick(r.window->control(Ctl::Key5), Qt::Key_Return);
    EXPECT_TRUE(r.sent().empty());

    entry->setFocus();
    QTest::keyClicks(entry, "123");
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_TRUE(r.sentText(proto::Write<proto::OutKeyword::Dial>("123")));
    EXPECT_TRUE(r.window->isVisible());
}

TEST(FaceWindow, EscapeAndTheCloseBoxEndTheDialogAndReleaseThePhone) {
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Escape" : "close box");
        WindowRig r;
        r.sent();
        if (escape)
            QTest::keyClick(r.window.get(), Qt::Key_Escape);
        else
            r.window->close();
        EXPECT_TRUE(r.dlg().IsEnded());
        EXPECT_FALSE(r.window->isVisible());
        EXPECT_TRUE(r.sentText(proto::Write<proto::OutKeyword::Stop>()));
    }
}

TEST(FaceWindow, KeysMenuAndSliderReachTheirHandlers) {
    WindowRig r;
    r.sent();
    // A key click goes out as its key code.
    QTest::mouseClick(r.window->control(Ctl::Key5), Qt::LeftButton);
    EXPECT_FALSE(r.sent().empty());

    // The Help menu's About runs the About box with the core's version line.
    r.window->menuAction(Menu::About)->trigger();
    ASSERT_EQ(r.rig.dialogs.abouts.size(), 1u);
    EXPECT_EQ(r.rig.dialogs.abouts[0].rfind("Orvane's SIP Dialer version ", 0), 0u);

    // A slider step sends the new position.
    r.change([&] { r.face().Show(Ctl::VolumeSlider, true); });
    auto* slider = r.widget<QSlider>(Ctl::VolumeSlider);
    slider->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_TRUE(r.sentText(proto::Write<proto::OutKeyword::Volume>(slider->sliderPosition())));
    EXPECT_EQ(r.face().Get(Ctl::VolumeSlider).pos, slider->sliderPosition());

    // The hidden console button's mnemonic opens the console entry.
    r.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(r.window.get()));
    QTest::keyClick(r.window.get(), Qt::Key_L, Qt::AltModifier);
    EXPECT_FALSE(r.window->control(Ctl::DisplayLine0)->isVisible());
    EXPECT_TRUE(r.window->control(Ctl::EntryEdit)->isVisible());
    EXPECT_FALSE(r.window->control(Ctl::LinuxSecret)->isVisible());
}

TEST(FaceWindow, TypedTextAndCaretReachTheModelBeforeAHandler) {
    WindowRig r;
    auto* entry = r.widget<QLineEdit>(Ctl::EntryEdit);
    entry->setFocus();
    QTest::keyClicks(entry, "5551234");
    entry->setSelection(2, 3);
    std::string seenText;
    int seenStart = -1, seenEnd = -1, seenFocus = 0;
    r.window->callCore([&] {
        const Control& c = r.face().Get(Ctl::EntryEdit);
        seenText = c.text;
        seenStart = c.selStart;
        seenEnd = c.selEnd;
        seenFocus = r.face().Focus();
    });
    EXPECT_EQ(seenText, "5551234");
    EXPECT_EQ(seenStart, 2);
    EXPECT_EQ(seenEnd, 5);
    EXPECT_EQ(seenFocus, Ctl::EntryEdit);

    // The model's limit holds what the user types; a longer text the dialog sets stays whole.
    r.change([&] {
        r.face().SetLimitText(Ctl::NameEdit, 5);
        r.face().SetText(Ctl::NameEdit, "ab");
        r.face().Show(Ctl::NameEdit, true);
    });
    auto* name = r.widget<QLineEdit>(Ctl::NameEdit);
    name->setFocus();
    name->end(false);
    QTest::keyClicks(name, "cdefgh");
    EXPECT_EQ(name->text(), QStringLiteral("abcde"));
    r.change([&] { r.face().SetText(Ctl::NameEdit, "Longer name"); });
    EXPECT_EQ(name->text(), QStringLiteral("Longer name"));
}

TEST(FaceWindow, TheConsoleEntryKeepsItsCaretWhenItTakesTheFocus) {
    // The focused display line goes as the console takes the entry edit: the focus must
    // not move on by itself (that would select the whole line typed so far, and typing
    // would replace it); the dialog gives the entry the focus with the caret where it was.
    WindowRig r;
    r.change([&] {
        r.face().Show(Ctl::EntryEdit, true);
        r.face().SetText(Ctl::EntryEdit, "ls -l");
        r.face().SetEditSel(Ctl::EntryEdit, 5, 5);
        r.face().SetFocus(Ctl::DisplayLine0);
    });
    ASSERT_EQ(r.window->focusWidget(), r.window->control(Ctl::DisplayLine0));
    r.change([&] { r.dlg().OnCommand(Ctl::LinuxSecret); });
    auto* entry = r.widget<QLineEdit>(Ctl::EntryEdit);
    EXPECT_EQ(r.window->focusWidget(), entry);
    EXPECT_FALSE(entry->hasSelectedText());
    EXPECT_EQ(entry->cursorPosition(), 5);
}

TEST(FaceWindow, AKeyWithoutANormalPictureStaysBlankEvenPressed) {
    const QColor ground(200, 10, 10);
    auto grabCentre = [&](const ImageSet& images, bool down) {
        CMyButton key;
        QPalette palette = key.palette();
        palette.setColor(key.backgroundRole(), ground);
        key.setPalette(palette);
        key.setAutoFillBackground(true);
        key.resize(64, 52);
        key.setImages(images);
        key.setDown(down);
        return key.grab().toImage().pixelColor(32, 26);
    };
    // Only a pressed picture: nothing is drawn, pressed or not.
    EXPECT_EQ(grabCentre({0, Bmp::SendPressed, 0, 0}, true), ground);
    EXPECT_EQ(grabCentre({0, Bmp::SendPressed, 0, 0}, false), ground);
    // A normal picture fills the key; pressed without a pressed picture it stays the same.
    const QColor normal = grabCentre({Bmp::MuteKey, 0, 0, 0}, false);
    EXPECT_NE(normal, ground);
    EXPECT_EQ(grabCentre({Bmp::MuteKey, 0, 0, 0}, true), normal);
}

TEST(FaceWindow, HiddenControlsGetWidgetsWhenShownInTheirPlaceInStackAndTabOrder) {
    WindowRig r;
    // Nothing on the start face is a list: none has a widget yet.
    EXPECT_TRUE(r.window->findChildren<QTreeView*>().isEmpty());

    // Shown out of template order: the number field, then a list, the name field and the
    // slider. Each comes up in step, under the controls before it and over those after.
    r.change([&] {
        r.face().SetText(Ctl::NumberEdit, "5550101");
        r.face().Show(Ctl::NumberEdit, true);
    });
    r.change([&] { r.face().Show(Ctl::PhonebookList, true); });
    r.change([&] { r.face().Show(Ctl::NameEdit, true); });
    r.change([&] { r.face().Show(Ctl::VolumeSlider, true); });
    EXPECT_EQ(r.window->findChildren<QTreeView*>().size(), 1);
    EXPECT_EQ(r.widget<QLineEdit>(Ctl::NumberEdit)->text(), QStringLiteral("5550101"));
    EXPECT_TRUE(r.window->control(Ctl::PhonebookList)->isVisible());

    // The widgets there are, by the control they show; asking control() would make more.
    QWidget* face = r.window->control(Ctl::Key5)->parentWidget();
    std::map<int, QWidget*> made;
    for (QWidget* w : face->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        made[w->property("orvaneControlId").toInt()] = w;
    EXPECT_EQ(made.count(Ctl::CallLogList), 0u);
    std::map<QWidget*, int> order; // widget -> place in the template
    std::vector<QWidget*> tabStops;
    int place = 0;
    for (const Control& c : r.face().Controls()) {
        const auto w = made.find(c.id);
        ++place;
        if (w == made.end()) continue;
        order[w->second] = place;
        if (c.tabStop && c.visible) tabStops.push_back(w->second);
    }
    // Stacking: a parent's children run from the bottom up, so template places fall.
    int last = std::numeric_limits<int>::max();
    for (QObject* child : face->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (w == nullptr || order.count(w) == 0) continue;
        EXPECT_LT(order[w], last) << "control " << w->property("orvaneControlId").toInt();
        last = order[w];
    }
    // Tab order: the shown tab stops follow each other as in the template.
    ASSERT_GE(tabStops.size(), 5u);
    for (std::size_t i = 0; i + 1 < tabStops.size(); ++i) {
        QWidget* next = tabStops[i]->nextInFocusChain();
        while (next != tabStops[i] &&
               std::find(tabStops.begin(), tabStops.end(), next) == tabStops.end())
            next = next->nextInFocusChain();
        EXPECT_EQ(next, tabStops[i + 1])
            << "after " << tabStops[i]->property("orvaneControlId").toInt();
    }
}
