#pragma once
// QCustomPlot for the windows. Its header says `signals`, `slots` and `foreach`, which the
// build turns off (QT_NO_KEYWORDS) so that they never clash with other libraries' names.

#define signals Q_SIGNALS
#define slots Q_SLOTS
#define foreach Q_FOREACH
#include <qcustomplot.h>
#undef signals
#undef slots
#undef foreach

#include "spectrum/signal/units.h"

#include <vector>

namespace orbistan::ui {

// Lines as a graph's data, ready to be swapped into a graph at once: for a long spectrum it
// is built on the worker, not on the window's thread.
QSharedPointer<QCPGraphDataContainer>
graphData(const std::vector<double>& keys, const std::vector<double>& values, AmplitudeScale scale);

// The colour of a marker family, in the order of markerFamilies().
QColor familyColour(int family);
// A marker line's pen: a harmonic solid, a sideband dotted, a computed line beside the one
// the diagnosis found faint (kind 0, 1, 2).
QPen markerPen(int family, int kind);
// A colour map's read-out of the cell under the mouse: a pale box in the axis rect's bottom
// left corner (the plot's own rect when none is given), hidden until there is something to say.
QCPItemText* mapReadout(QCustomPlot* plot, QCPAxisRect* rect = nullptr);

} // namespace orbistan::ui
