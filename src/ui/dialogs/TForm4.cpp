#include "ui/dialogs/TForm4.h"
#include "ui_TForm4.h"

#include "ui/kit/jpeg.h"
#include "ui/kit/style.h"

#include <QFile>
#include <QImage>
#include <QTextCursor>

namespace orbistan::ui {

TForm4::~TForm4() = default;

namespace {

// The photograph ships inside the program and is decoded by the JPEG library.
QPixmap aboutPhoto(QSize area) {
    QFile file(":/resources/about.jpg");
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    const auto image = decodeJpeg(std::string_view(bytes.constData(), bytes.size()));
    if (!image) {
        return {};
    }
    const QImage picture(image->rgb.data(), image->width, image->height, image->width * 3,
                         QImage::Format_RGB888);
    return QPixmap::fromImage(picture.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm4>()) {
    ui->setupUi(this);
    QTextCursor all(ui->Memo1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);
    ui->Image1->setPixmap(aboutPhoto(QSize(122, 169)));
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
