#pragma once
// The main window: the input fields, the keypad, the results and the frame of the program.
// One class; its actions are implemented in one file per subsystem (TForm1_*.cpp).

#include "calc/state.h"
#include "datafiles/bearing_record.h"
#include "search/search.h"

#include <QMainWindow>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;

namespace Ui {
class TForm1;
}

namespace orbistan {
struct WorkbenchBearing;
struct ReportContext;
} // namespace orbistan

namespace orbistan::ui {

class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TForm8;
class TForm9;
class TForm10;
class TForm11;
class TForm12;
class TForm13;
class TForm14;
class TForm15;
class SpectrumWorkbench;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Runs the creation steps: decimal comma, flags, program directory, data folders.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Creates the other windows, once each, in their start-up order; the spectrum window
    // waits until it is first asked for.
    void createWindows();
    // The spectrum window, made the first time it is asked for (its library opened then);
    // nothing, with the reason shown, when its library cannot be opened.
    SpectrumWorkbench* spectrumWindow();

    ProcessState& state() { return state_; }
    const ProcessState& state() const { return state_; }

    // Actions offered to the other parts of the window.
    void SpeedButton1Click();  // "ВЫЧИСЛИТЬ"
    void N52Click();           // bearing-number trim
    void SpeedButton20Click(); // keypad reset "С"
    void N2Click();            // "Выход"
    void N22Click();           // save settings
    void N23Click();           // load settings

protected:
    void closeEvent(QCloseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override; // FormMouseUp
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // An input field with its two field-name buttons and its transfer code.
    struct InputPair {
        QLineEdit* field;
        QToolButton* inputButton;
        QToolButton* keypadButton;
        int code;
    };

    void bindInput();
    void collectFields();
    void bindFieldPairs();
    void bindKeypad();
    void keypadKeyClick(char key);
    void transferClick(InputPair& pair);
    void SpeedButton19Click(); // "№" transfer
    void Edit9Change();
    void paintPair(const InputPair& pair, bool changed);

    // Menus, shortcuts, the function-key panel and the small windows (TForm1_menus.cpp).
    void bindMenus();
    void bindContextMenu();
    void bindHiddenItems();
    void bindFunctionKeys();
    bool functionKeyEvent(QLabel* label, QEvent* event);
    void N4Click();  // About
    void N15Click(); // external calculator
    void N64Click(); // spectrum window

    // The search and its tools (TForm1_search.cpp).
    void bindSearch();
    // It reads the bearing and the search fields, and its clicked peaks are searched here.
    void bindSpectrumWindow();
    std::optional<WorkbenchBearing> spectrumBearing() const;
    ReportContext reportContext() const;
    void bindCoefficientButtons();
    void bindHarmonicLists();
    void Edit61Edited(const QString& text);
    void SpeedButton36Click(); // "Искать по частоте"
    void SpeedButton53Click(); // search mode
    void SpeedButton54Click(); // "Результаты"
    void SpeedButton55Click(); // harmonic step
    void SpeedButton45Click(); // return "В"
    void Edit8Change();
    void stepTolerance(bool up);
    bool searchToolEvent(QObject* watched, QEvent* event);
    void showHarmonics(int which, bool subharmonics, Qt::MouseButton button);
    SearchTexts searchFieldTexts();
    SearchParameters limitSearchFields(const SearchParameters& read);
    void prepareResultsWindow();
    void showSearchResult(const SearchResult& found);

    // The bearing base (TForm1_base.cpp).
    void bindBase();
    void chooseStandard(int standard);
    // Empty for a number that cannot name a file (the number field refuses such numbers).
    std::optional<std::filesystem::path> currentRecordPath();
    RecordRead readCurrentRecord();
    void paintField(QLineEdit* field, bool changed);
    void SpeedButton41Click(); // type lookup
    void SpeedButton37Click(); // "Очистить"
    void N5Click();            // load
    void prepareForANewBearing(const QString& number);
    void takeRecord(const BearingRecord& r);
    void N6Click(); // save
    void showOverwriteWindow(const BearingRecord& r, const std::array<bool, 5>& differs);
    void showNewRecordWindow();
    void N12Click(); // delete
    void bindBaseWindows();
    void restFlags();
    void writeRecord(const std::filesystem::path& path);

    // The bearing group (TForm1_group.cpp).
    void bindGroup();
    void showGroupList();
    void showGroupEntries();
    void recordInGroup();
    std::filesystem::path autoSavePath() const;
    bool readGroupFile(const std::filesystem::path& path, bool clearFirst);
    void showLoadedGroup(const std::array<GroupSlot, kGroupSlots>& slot);
    // Where a data file that could not be read was kept (empty: it could not be moved).
    QString keptBesideNotice(const std::filesystem::path& kept) const;
    void recallSlot(int k);
    QString chooseGroupFile(bool save);
    void N30Click(); // "Удалить все"
    void N48Click(); // save group
    void N49Click(); // load group
    void N53Click(); // delete group file
    void N50Click(); // automatic group load
    void N54Click(); // automatic group save

    // Options and the settings file (TForm1_options.cpp).
    void bindOptions();
    void chooseOption(int* option, int value, QAction* chosen, QAction* other);
    void N20Click();
    void N21Click();
    void N25Click();
    void N26Click();
    void N28Click();
    void N29Click();
    void N39Click();
    void N40Click();
    void N44Click();
    void N45Click();
    void fixClientSize();
    void setPrecision(int precision);
    void markPrecision(int precision);
    std::array<std::pair<QAction*, int>, 5> precisionItems() const;
    void showSettingsInForce(); // marks the option items without saving

    InputTexts inputTexts() const;
    bool inputsMatchLastComputation() const;
    void showRangeWarnings(const std::vector<RangeWarning>& warnings);
    void showResults();
    void clearResultFields();

    std::unique_ptr<Ui::TForm1> ui; // the form's controls, made by uic
    ProcessState state_;
    std::array<InputPair, 7> pairs_{}; // Z, Fr, dw, D, d, a in snapshot order, then "№"
    std::array<QLineEdit*, ResultCount> resultFields_{};
    std::array<QLineEdit*, kMultiplierCount> multiplierFields_{};
    QList<QKeySequence> menuShortcuts_; // keys that win over the fields' own key handling
    QMenu* PopupMenu1 = nullptr;        // the context menu
    QMenu* PopupMenu2 = nullptr;        // the group list
    QMenu* PopupMenu3 = nullptr;        // the harmonic lists
    std::array<QAction*, kGroupSlots> groupEntries_{};
    std::array<std::array<QToolButton*, kDefectCount>, 2> harmonicButtons_{}; // harmonic, sub

    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TForm4> form4_;
    std::unique_ptr<TForm5> form5_;
    std::unique_ptr<TForm6> form6_;
    std::unique_ptr<TForm7> form7_;
    std::unique_ptr<TForm9> form9_;
    std::unique_ptr<TForm8> form8_;
    std::unique_ptr<TForm10> form10_;
    std::unique_ptr<TForm11> form11_;
    std::unique_ptr<TForm12> form12_;
    std::unique_ptr<TForm13> form13_;
    std::unique_ptr<TForm14> form14_;
    std::unique_ptr<TForm15> form15_;
    std::unique_ptr<SpectrumWorkbench> form16_;
};

} // namespace orbistan::ui
