#include "ui/panels/ProjectPanel.h"

#include <QComboBox>
#include <QLineEdit>

#include "ui/panels/Controls.h"
#include "ui/panels/Twips.h"
#include "ui/panels/TypedNumbers.h"

namespace tarnwick {

ProjectPanel::ProjectPanel(QWidget* parent)
    : PanelFrame(QStringLiteral("Project Data"), QColor(128, 0, 0), parent) {
  setObjectName(QStringLiteral("ProjectFrame"));
  setToolTip(QStringLiteral("Type in your project data for identification"));
  PlaceTwips(this, 2640, 0, 7395, 1485);
  PlaceTwips(MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("Project Title")), 420, 360,
             975, 255);
  title_ = MakeBox(this, QStringLiteral("Project_tbx"));
  PlaceTwips(title_, 1620, 360, 1815, 285);
  PlaceTwips(MakeLabel(this, QStringLiteral("Label2(0)"), QStringLiteral("Author")), 420, 720, 615,
             255);
  author_ = MakeBox(this, QStringLiteral("Author_tbx"));
  PlaceTwips(author_, 1620, 720, 1815, 285);
  PlaceTwips(MakeLabel(this, QStringLiteral("Label2(1)"), QStringLiteral("Units")), 420, 1050, 435,
             255);
  units_ =
      MakeList(this, QStringLiteral("Units_cbx"), QStringLiteral("Choose the desired length unit"));
  PlaceTwips(units_, 1620, 1050, 1335, 315);
  Fill(units_, std::array<std::string, 2>{UnitItems[0], UnitItems[1]});
  units_->setCurrentIndex(0);

  connect(units_, &QComboBox::currentIndexChanged, this, &ProjectPanel::UnitsChanged);
  for (QLineEdit* box : {title_, author_})
    connect(box, &QLineEdit::editingFinished, this, &ProjectPanel::TextEdited);
}

void ProjectPanel::Watch(TypedNumbers& entry) {
  for (QLineEdit* box : {title_, author_}) entry.WatchText(box);
}

void ProjectPanel::Read(ProjectData& p) const {
  p.ProjectTitle = title_->text().toStdString();
  p.Author = author_->text().toStdString();
  p.Units = ChosenUnits();
}

void ProjectPanel::Write(const ProjectData& p) {
  title_->setText(QString::fromStdString(p.ProjectTitle));
  author_->setText(QString::fromStdString(p.Author));
  // A unit text other than "Feet" is shown, and treated, as metres.
  units_->setCurrentIndex(IsFeet(p.Units) ? 0 : 1);
}

std::string ProjectPanel::ChosenUnits() const { return units_->currentText().toStdString(); }

}  // namespace tarnwick
