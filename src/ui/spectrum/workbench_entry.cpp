// The library's entry point: the main window resolves it by name when the spectrum window is
// first asked for.
#include "ui/spectrum/TForm16.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT orbistan::ui::SpectrumWorkbench* orbistanCreateSpectrumWorkbench() {
    return new orbistan::ui::TForm16;
}
