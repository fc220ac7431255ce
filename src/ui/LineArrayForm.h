#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>

#include "acoustics/ModuleData.h"
#include "acoustics/SplPrediction.h"
#include "files/ProjectFile.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "ui/Dialogs.h"

class QAction;
class QCheckBox;
class QKeyEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tarnwick {

class About_frm;
class DrawingSurface;
class LineElement;
class PanelFrame;

// The main window. It owns every control, the open project (Data) and the
// geometry of the last redraw (Graphics); a fresh window starts from the
// defaults, so tests can create as many as they like.
class LineArray_frm : public QMainWindow {
  Q_OBJECT

 public:
  explicit LineArray_frm(QWidget* parent = nullptr);
  ~LineArray_frm() override;

  tarnwick::Data Data;                  // the open project and the defaults
  tarnwick::Graphics Graphics;          // geometry results of the last redraw
  tarnwick::FileRW FileRW;              // file header and the current file's path
  tarnwick::Constants Constants;        // the module's acoustic data
  tarnwick::Calculations Calculations;  // the last prediction

  QString StartCaption;
  bool FormLoading = false;       // the start-up sequence is running
  bool ControlsUpdating = false;  // WriteControls is running
  bool BArraySettingsActive = false;
  bool BAreaSettingsActive = false;
  bool BGraphActive = false;

  // Transfers between the controls and the open project.
  void ReadControls();
  // Returns false when a value has no entry in its control; the controls
  // set before it keep their new contents and the later ones are untouched.
  bool WriteControls();
  void NewProject();

  // The one redraw: clears both pictures, reads the controls, then computes
  // and draws the scene, the areas and the array.
  void RedrawAll();

  // The window's outer size in twips, frame and caption included.
  QSize OuterSizeTwips() const;

  // Layout rule for the window's current size, then a redraw.
  void Form_Resize();

  // The two panel toggles ("Show Setup" / "Hide Setup").
  void ShowArraySettings_cbt_Click();
  void ShowAreaSettings_cbt_Click();

  // Replaces the message boxes and file dialogs (tests script them).
  void SetDialogs(std::unique_ptr<UserDialogs> dialogs);

  // File commands. Each save gives true only when the project was written.
  void New_men_Click();
  void Open_men_Click();
  void Save_men_Click();
  void SaveAs_men_Click();
  void Exit_men_Click();

  // The SPL graph strip.
  void ShowGraph_men_Click();
  void Calc_cbt_Click();

  // Tools and Help.
  void JArray_men_Click();
  void Line_men_Click();
  void Curved_men_Click();
  void About_men_Click();

  // Area drag in the side view; positions in its scene coordinates.
  void MainView_pbx_MouseDown(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);
  void MainView_pbx_MouseMove(Qt::MouseButtons held, QPointF at);
  void MainView_pbx_MouseUp(Qt::MouseButton button, Qt::MouseButtons held, QPointF at);
  bool SaveProject();
  bool SaveProjectAs();
  void OpenProject();

  // Two-decimal text with the user's decimal separator.
  static QString DecimalText(double value);

 private:
  void BuildControls();
  void BuildArrayFrame();
  void BuildProjectFrame();
  void BuildAreaFrame();
  void BuildMenus();
  void ConnectHandlers();
  void InitializeForm();
  void SetAngles(int from, int to, int entry);
  void BuildGraphStrip();
  void OfferAreasInUse(int areas);
  void BuildDragRectangle();
  void PlaceDragRectangle(PlaneVector origin, float width, float height);
  bool IsMenuShortcut(const QKeyEvent* key) const;
  QString ProjectsFolder() const;
  FileDialogSetup DialogSetup(const QString& title) const;
  bool ShowSaveDialogAndWrite();
  bool WriteToFile(const FileChoice& file);
  void ShowFileInCaption(const QString& name);
  void closeEvent(QCloseEvent* event) override;
  std::unique_ptr<UserDialogs> Dialogs;
  void WatchNumberBoxes();
  QSize FrameExtent() const;
  void ApplyMinimumSize();
  void CentreOnScreen();

  bool RedrawAllowed() const { return !FormLoading && !ControlsUpdating; }
  void RedrawIfAllowed();

  // Selection handlers: they run for program changes too, and redraw only
  // when neither start-up nor WriteControls is under way.
  void BoxesAmount_cbx_Click();
  void AreasAmount_cbx_Click();
  void AutomaticInclCalc_chk_Click();
  void Units_cbx_Click();
  void FixedHeight_men_Click();
  void ShowZoom_men_Click();

  // Number entry of the six numeric boxes.
  void NumberBox_KeyPressEnter();
  void NumberBox_LostFocus(QLineEdit* box);
  bool eventFilter(QObject* watched, QEvent* event) override;

  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool placed_ = false;   // opened centred once
  bool laidOut_ = false;  // laid out and drawn for the first show

 public:
  // Controls, named as their objectName.
  PanelFrame* ArrayFrame = nullptr;
  PanelFrame* ProjectFrame = nullptr;
  PanelFrame* AreaFrame = nullptr;
  QLineEdit* Project_tbx = nullptr;
  QLineEdit* Author_tbx = nullptr;
  QComboBox* Units_cbx = nullptr;
  QComboBox* BoxesAmount_cbx = nullptr;
  QPushButton* ShowArraySettings_cbt = nullptr;
  QCheckBox* AutomaticInclCalc_chk = nullptr;
  QLineEdit* FloorDistance_tbx = nullptr;
  QComboBox* FlybarMounting_cbx = nullptr;
  QComboBox* FlybarPin_cbx = nullptr;
  QLineEdit* InclinationAngle_tbx = nullptr;
  std::array<QLabel*, MaxBoxes> Angle_lbl{};
  std::array<QComboBox*, MaxJoints> Angle_cbx{};
  std::array<QComboBox*, MaxBoxes> Attenuation_cbx{};
  QComboBox* AreasAmount_cbx = nullptr;
  QPushButton* ShowAreaSettings_cbt = nullptr;
  std::array<QLabel*, MaxAreas> Area_lbl{};
  std::array<QLabel*, MaxAreas> AreaDistance_lbl{};
  std::array<QLabel*, MaxAreas> AreaLength_lbl{};
  std::array<QLabel*, MaxAreas> AreaHeight1_lbl{};
  std::array<QLabel*, MaxAreas> AreaHeight2_lbl{};
  std::array<QLineEdit*, MaxAreas> AreaDistance_tbx{};
  std::array<QLineEdit*, MaxAreas> AreaLength_tbx{};
  std::array<QLineEdit*, MaxAreas> AreaHeight1_tbx{};
  std::array<QLineEdit*, MaxAreas> AreaHeight2_tbx{};
  DrawingSurface* MainView_pbx = nullptr;
  DrawingSurface* ZoomView_pbx = nullptr;
  DrawingSurface* Graph_pbx = nullptr;
  QAction* New_men = nullptr;
  QAction* Open_men = nullptr;
  QAction* Save_men = nullptr;
  QAction* SaveAs_men = nullptr;
  QAction* Exit_men = nullptr;
  QPushButton* Calc_cbt = nullptr;
  QComboBox* AreaSelect_cbx = nullptr;
  QComboBox* FreqSelect_cbx = nullptr;
  QAction* JArray_men = nullptr;
  QAction* Line_men = nullptr;
  QAction* Curved_men = nullptr;
  QAction* About_men = nullptr;
  About_frm* About = nullptr;  // created on first use
  LineElement* RightLine = nullptr;
  LineElement* LeftLine = nullptr;
  LineElement* LowerLine = nullptr;
  LineElement* UpperLine = nullptr;
  QAction* FixedHeight_men = nullptr;
  QAction* ShowZoom_men = nullptr;
  QAction* ShowGraph_men = nullptr;
};

}  // namespace tarnwick
