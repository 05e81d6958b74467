#include "ui/info_box.h"

#include "base/bearing_type.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

namespace orbistan::ui {

QStringList displayedLines(const QPlainTextEdit& box) {
    QStringList lines;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (!layout || layout->lineCount() == 0) {
            lines << block.text(); // not laid out yet: one line
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << block.text().mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

QString joinInformation(const QStringList& lines) {
    QString text;
    for (const QString& line : lines.mid(0, static_cast<int>(kInformationLines))) {
        text += line.left(static_cast<int>(kInformationLineLength));
    }
    return text;
}

} // namespace orbistan::ui
