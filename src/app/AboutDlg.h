#pragma once

#include <QDialog>

#include "ProjectLinks.h"
#include "settings/Language.h"

namespace tolvane {

// The about box of the help menu: version, rights notice and the project's own
// addresses. A link or contact that the build was not given has no line at all.
class AboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDlg(QWidget* parent = nullptr, int systemLanguageId = LanguageIdOfEnvironment(),
                      const ProjectLinks& links = ConfiguredLinks());
};

}  // namespace tolvane
