// The controls of the update dialog, placed as the dialog was designed: 404 × 190 pixels of
// labels, three read-only fields, a gauge in place of the note while a file downloads, the two
// buttons and a status line. Where the font is wider than the design's, the version fields
// stand right of their labels and the dialog grows by what they lack.
#pragma once

#include <QColor>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace menu::widgets {
class TypedEdit;
}

namespace menu::gui {

struct UpdateDialogForm {
    static constexpr int kWidth = 404;
    static constexpr int kHeight = 190;

    // Creates every control on dialog, in the dialog's font.
    explicit UpdateDialogForm(QWidget *dialog);

    int width = kWidth; // the dialog's width in its font

    QLabel *title = nullptr;          // which program
    QLabel *installedLabel = nullptr; // "Aktuálna verzia programu na Vašom počítači"
    QLabel *announcedLabel = nullptr; // "Aktuálna verzia programu na internete"
    QLabel *noteLabel = nullptr;      // "Poznámka", and what the dialog is doing
    QLabel *sizeLabel = nullptr;      // the downloaded file's size
    widgets::TypedEdit *installed = nullptr;
    widgets::TypedEdit *announced = nullptr;
    widgets::TypedEdit *note = nullptr;
    QProgressBar *gauge = nullptr;
    QPushButton *import = nullptr;
    QPushButton *close = nullptr;
    QLabel *statusLine = nullptr;
    QLabel *teamViewerImage = nullptr;
    QLabel *launcherImage = nullptr;

    // Shows the size text right-aligned at the size label's designed right edge, as wide as it
    // needs: a size in bytes does not fit the designed width.
    void setSizeText(const QString &text);

  private:
    void createImages(QWidget *panel);
    void fitFont(QWidget *panel);

    int extra_ = 0; // how much wider than designed
};

// The role's colour in the application's palette, or red.
void setTextColour(QWidget *widget, int role, bool red);

} // namespace menu::gui
