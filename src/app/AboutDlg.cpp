#include "AboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tolvane {

namespace {

// A row "Website: <address>" whose click opens the address itself, never what the
// label's markup might turn it into.
void AddLinkRow(QGridLayout* grid, const QString& caption, const QString& address,
                const QString& objectName) {
    const QString usable = UsableWebAddress(address);
    if (usable.isEmpty())
        return;
    auto* link = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(usable.toHtmlEscaped()));
    link->setObjectName(objectName);
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::TextBrowserInteraction);
    link->setOpenExternalLinks(false);
    link->setAccessibleName(caption);
    QObject::connect(link, &QLabel::linkActivated, link, [usable] { OpenWebAddress(usable); });
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(caption), row, 0);
    grid->addWidget(link, row, 1);
}

}  // namespace

AboutDlg::AboutDlg(QWidget* parent, int systemLanguageId, const ProjectLinks& links)
    : QDialog(parent) {
    const bool chinese = systemLanguageId == kLanguageIdSimplifiedChinese ||
                         systemLanguageId == kLanguageIdTraditionalChinese;
    setWindowTitle(chinese ? QStringLiteral("关于Tolvane") : QStringLiteral("About Tolvane"));
    setModal(true);

    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->setHorizontalSpacing(12);
    grid->addWidget(new QLabel(QStringLiteral("Tolvane, v%1").arg(ProjectVersion())), 0, 0, 1, 2);
    grid->addWidget(new QLabel(RightsNotice()), 1, 0, 1, 2);
    grid->setRowMinimumHeight(2, 6);

    const QString contact = links.contact.trimmed();
    if (!contact.isEmpty()) {
        auto* field = new QLineEdit(contact);
        field->setObjectName(QStringLiteral("contact"));
        field->setReadOnly(true);
        field->setAccessibleName(QStringLiteral("Contact:"));
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(contact) + 16);
        const int row = grid->rowCount();
        grid->addWidget(new QLabel(QStringLiteral("Contact:")), row, 0);
        grid->addWidget(field, row, 1);
    }
    AddLinkRow(grid, QStringLiteral("Website:"), links.homepage, QStringLiteral("homepageLink"));
    AddLinkRow(grid, QStringLiteral("Donate:"), links.donate, QStringLiteral("donateLink"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(chinese ? QStringLiteral("确定") : QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    grid->addWidget(buttons, grid->rowCount(), 0, 1, 2);
    // Enter closes the box wherever the focus is: nothing here is for typing. The
    // button becomes the default only once it belongs to the dialog, which then knows it.
    ok->setDefault(true);
    ok->setFocus();
}

}  // namespace tolvane
