#include "CAboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "ApplicationIcon.h"
#include "ProjectLinks.h"

namespace tolvane {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("关于 Tolvane"));
    setModal(true);

    auto* icon = new QLabel;
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);

    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->setHorizontalSpacing(16);
    grid->addWidget(icon, 0, 0, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Tolvane，版本 %1").arg(ProjectVersion())), 0, 1);
    grid->addWidget(new QLabel(RightsNotice()), 1, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("确定"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    grid->addWidget(buttons, 2, 0, 1, 2);
    // Made the default only once it belongs to the dialog, which then knows it.
    ok->setDefault(true);
    ok->setFocus();
}

}  // namespace tolvane
