#pragma once

#include <QImage>
#include <QObject>
#include <memory>
#include <optional>
#include <vector>

#include "acoustics/LevelGrid.h"
#include "geometry/ArrayGeometry.h"
#include "model/ProjectData.h"
#include "ui/panels/HeadStart.h"

class QComboBox;
class QLabel;

namespace tarnwick {

class DrawingSurface;
class ColourBar;
class MapWorker;

// The coverage map of the side view: the predicted level over the section above the floor
// as colours under the areas and the array, the areas in the colours of their levels, a
// colour bar and the map's own band list at the side view's top right.
//
// The map is computed on worker threads below the window's priority and never holds up the
// window: a design change cancels the computation under way, without waiting for it, and
// starts a new one, and until that is ready the side view shows the last finished map,
// never a half-finished one. The map's picture is coloured on the window's thread when its
// levels arrive, into one picture kept from map to map.
class CoverageLayer : public QObject {
  Q_OBJECT

 public:
  CoverageLayer(DrawingSurface* side, const Constants& constants);
  ~CoverageLayer() override;

  void SetShown(bool shown);
  bool Shown() const { return shown_; }
  int Band() const;  // the band, or a broadband sum, chosen in the map's list

  // Steps of a redraw while shown, in this order: the areas' levels of the design about to
  // be drawn started on a thread of their own, before anything is drawn; the last finished
  // map, just after the background; the areas in their levels' colours, instead of the
  // plain slopes; then a new map wherever the design or the picture changed (not while an
  // area is dragged). The map is left out, giving false, where the scene cannot place it.
  void Prepare(const ProjectData& project, const Graphics& graphics);
  bool DrawMap(DrawingSurface& side) const;
  void DrawAreas(DrawingSurface& side, const ProjectData& project, const Graphics& graphics);
  void Request(const ProjectData& project, const Graphics& graphics, const DrawingSurface& side);

  // A finished map: the levels at its grid of nodes and its picture, the top rows of the
  // picture the layer keeps (valid while this map is shown).
  struct Map {
    LevelGrid grid;
    QImage picture;
  };
  const Map* ShownMap() const { return shown_map_.get(); }

  // The level of the map's band at a scene point of the design last drawn, as the map has it
  // there (the level engine's own, not read off the colours); none before the first redraw.
  std::optional<float> LevelAt(PlaneVector point) const;

  // The top of the colour scale of the current design, dB.
  float Top() const { return top_; }
  // True while a map is being computed.
  bool Busy() const { return busy_; }

 signals:
  // A new map is ready to be shown, or the band changed and no map is coming: the side
  // view is drawn again.
  void MapReady();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The engine of a design (`engine` where it has one already) and its areas' levels.
  struct AreaWork {
    std::shared_ptr<const LevelEngine> engine;
    std::vector<std::vector<SPLPoint>> areas;
    ProjectData project;
    Graphics graphics;
    int entry = 0;
  };
  AreaWork WorkOutAreas(std::shared_ptr<const LevelEngine> engine, const ProjectData& project,
                        const Graphics& graphics, int entry) const;
  bool SameDesign(const ProjectData& project, const Graphics& graphics) const;
  void Place();
  // A map's levels are in: coloured into the top `pixels` of the kept picture, which has the
  // size of the view's inner area in device pixels when the map was asked for, and shown.
  void Finished(std::shared_ptr<Map> map, float scaleTop, QSize pixels, QSize view);
  void Cancel();
  // Another band: its map is computed, and the side view is drawn once it is ready, so that
  // the areas' colours and the map's always come from the same band.
  void BandChanged();

  DrawingSurface* side_;
  const Constants& constants_;
  QComboBox* band_ = nullptr;
  ColourBar* bar_ = nullptr;
  QLabel* model_ = nullptr;  // the prediction model, under the band list
  bool shown_ = false;
  bool busy_ = false;
  float top_ = 0.0f;
  std::shared_ptr<const LevelEngine> engine_;  // of the last redraw
  ProjectData project_;                        // the design of the last redraw
  Graphics graphics_;
  HeadStart<AreaWork> pending_;    // the areas' levels Prepare started
  std::vector<double> requested_;  // what the map under way or shown was made of
  std::shared_ptr<const Map> shown_map_;
  QImage picture_;  // the shown map's picture's pixels, resized only with the view
  unsigned generation_ = 0;
  std::unique_ptr<MapWorker> worker_;  // last: stopped and joined before anything it uses goes
};

}  // namespace tarnwick
