#include "platform/FileDialogSeam.h"

#include <QDir>
#include <QFileDialog>

namespace {

QString ToolkitChooser(QWidget *Parent) {
    return QDir::toNativeSeparators(QFileDialog::getOpenFileName(Parent));
}

TOpenFileChooser &CurrentChooser() {
    static TOpenFileChooser chooser = ToolkitChooser;
    return chooser;
}

} // namespace

TOpenFileChooser SetOpenFileChooser(TOpenFileChooser Chooser) {
    TOpenFileChooser previous = std::move(CurrentChooser());
    CurrentChooser() = Chooser ? std::move(Chooser) : TOpenFileChooser(ToolkitChooser);
    return previous;
}

bool TOpenDialog::Execute(QWidget *Parent) {
    const QString chosen = CurrentChooser()(Parent);
    if (chosen.isEmpty()) {
        return false;
    }
    FFileName = chosen;
    return true;
}
