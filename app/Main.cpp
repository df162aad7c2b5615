#include "app/Main.h"

TTimeSpaceForm::TTimeSpaceForm(QWidget *parent) : QWidget(parent) {
    setWindowTitle("TimeSpace Diagram");
}
