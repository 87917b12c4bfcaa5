#include "companion/information.h"

#include "ui/image_list.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace marlovex::companion {

TInformation::TInformation(QWidget* owner)
    : QDialog(owner) {
    setObjectName(QStringLiteral("Information"));
    setWindowTitle(QStringLiteral("Info"));

    auto* picture = new QLabel(this);
    picture->setPixmap(ui::imageListIcon(ui::ImageIndex::WarrantTracker).pixmap(48, 48));
    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("titleLine"));
    QFont titleFont = m_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
    m_title->setFont(titleFont);
    m_platform = new QLabel(this);
    m_platform->setObjectName(QStringLiteral("platformLine"));
    m_version = new QLabel(this);
    m_version->setObjectName(QStringLiteral("versionLine"));

    auto* lines = new QVBoxLayout;
    lines->addWidget(m_title);
    lines->addWidget(m_platform);
    lines->addWidget(m_version);
    auto* body = new QHBoxLayout;
    body->addWidget(picture, 0, Qt::AlignTop);
    body->addSpacing(12);
    body->addLayout(lines, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addSpacing(8);
    layout->addWidget(buttons);
}

} // namespace marlovex::companion
