// The Tools menu's presets of the splay angles. They only select entries in
// the angle lists; the lists' own handler redraws.

#include <QComboBox>

#include "model/NumberText.h"
#include "ui/AboutForm.h"
#include "ui/LineArrayForm.h"

namespace tarnwick {

namespace {
constexpr int Straight = 0;  // "0°"
constexpr int Splayed = 1;   // "5°"
}  // namespace

void LineArray_frm::SetAngles(int from, int to, int entry) {
  for (int k = std::max(from, 0); k <= std::min(to, MaxJoints - 1); ++k)
    Angle_cbx[k]->setCurrentIndex(entry);
}

void LineArray_frm::Line_men_Click() { SetAngles(0, BoxesAmount_cbx->currentIndex(), Straight); }

void LineArray_frm::Curved_men_Click() { SetAngles(0, BoxesAmount_cbx->currentIndex(), Splayed); }

void LineArray_frm::JArray_men_Click() {
  // Upper half straight, lower half curved; with an odd number of joints
  // the middle one may stay as it was.
  const int n = BoxesAmount_cbx->currentIndex();
  SetAngles(0, int(RoundHalfEven(n / 2.0 - 1)), Straight);
  SetAngles(int(RoundHalfEven(n / 2.0)), n, Splayed);
}

void LineArray_frm::About_men_Click() {
  if (About == nullptr) About = new About_frm(this);  // created on first use, then reused
  About->ShowModal();
}

}  // namespace tarnwick
