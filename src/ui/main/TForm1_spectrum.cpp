// The main window's side of the spectrum window: made from its library the first time it
// is asked for, and given the bearing, the shaft speed and the report's context.
#include "ui/main/TForm1.h"
#include "ui_TForm1.h"

#include "calc/numbers.h"
#include "search/search.h"
#include "spectrum/workbench/report.h"
#include "ui/kit/spectrum_workbench.h"
#include "ui/kit/text.h"
#include "ui/main/workbench_library.h"

#include <QMessageBox>

namespace orbistan::ui {

SpectrumWorkbench* TForm1::spectrumWindow() {
    if (!form16_) {
        const WorkbenchLibrary library = openWorkbenchLibrary();
        if (!library.create) {
            QMessageBox::critical(this, "Орбистан", library.error);
            return nullptr;
        }
        form16_.reset(library.create());
        bindSpectrumWindow();
    }
    return form16_.get();
}

void TForm1::bindSpectrumWindow() {
    form16_->setProgramDir(state_.ProgramDir);
    form16_->setBearingSource([this] { return spectrumBearing(); });
    form16_->setShaftSpeedText([this] { return ui->Edit2->text(); });
    form16_->setReportSource([this] { return reportContext(); });
    form16_->onPeakChosen([this](const QString& frequency) {
        ui->Edit8->setText(frequency);
        SpeedButton36Click();
    });
    // A bearing already computed is computed anew at the speed the spectrum shows; otherwise
    // the speed waits in its field for the geometry.
    form16_->onShaftSpeedChosen([this](const QString& fr) {
        ui->Edit2->setText(fr);
        if (state_.NoResult == 0) {
            SpeedButton1Click();
        }
    });
}

// The bearing as the search would use it now, with the search fields' texts as they stand
// (their defaults where they do not read). Nothing while no computation stands.
std::optional<WorkbenchBearing> TForm1::spectrumBearing() const {
    if (state_.NoResult == 1) {
        return std::nullopt;
    }
    const SearchTexts texts =
        withEmptyDefaults({"0", toCore(ui->Edit7->text()), "1", toCore(ui->Edit61->text()),
                           toCore(ui->Edit50->text())});
    const SearchParameters read =
        readSearchParameters(texts).value_or(SearchParameters{0, 1, 1, 10, 1000});
    const Results& r = state_.results;
    return WorkbenchBearing{searchBases(r, state_.inputs.Fr), applySearchLimits(read).parameters,
                            state_.Precision};
}

// The bearing as the spectrum's report names it: its number, and the geometry and speed it
// was computed with (none while nothing is computed).
ReportContext TForm1::reportContext() const {
    ReportContext c;
    c.bearingNumber = ui->Edit9->text().trimmed().toStdString();
    if (state_.NoResult == 0) {
        const BearingInputs& in = state_.inputs;
        c.geometry = geometryText(in.d, in.D, in.dw, in.Z, in.a);
        c.shaftHz = in.Fr;
    }
    return c;
}

} // namespace orbistan::ui
