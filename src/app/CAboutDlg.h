#pragma once

#include <QDialog>

namespace tolvane {

// The short about box of the window menu: icon, version and rights notice.
class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace tolvane
