#pragma once
// The about box: product name, version and what the program does.

#include <QDialog>

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfmAbout(QWidget* parent = nullptr);
};
