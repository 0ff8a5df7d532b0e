// The main window's figure windows: the site map and the cross-section.

#include <QMdiArea>
#include <QMdiSubWindow>

#include "strataquill/forms/frm_cross_section.h"
#include "strataquill/forms/frm_main.h"
#include "strataquill/forms/frm_site_map.h"

namespace sq::forms {

frmSiteMap* frmMain::siteMapWindow() const {
  return siteMap_;
}

frmCrossSection* frmMain::crossSectionWindow() const {
  return crossSection_;
}

void frmMain::watchProjectForFigures() {
  connect(&adapter_, &SessionAdapter::projectClosed, this, [this] {
    for (QWidget* w : {static_cast<QWidget*>(siteMap_.data()),
                       static_cast<QWidget*>(crossSection_.data())})
      if (w) w->parentWidget()->close();
  });
  connect(&adapter_, &SessionAdapter::boringListChanged, this, [this] {
    if (siteMap_) siteMap_->refresh();
    if (crossSection_) {
      crossSection_->reloadBoringList();
      crossSection_->refresh();
    }
  });
}

void frmMain::mnuSiteMap_Click() {
  if (busy() || !state_.projectOpen()) return;
  saveOpenEditors();
  if (siteMap_) {
    siteMap_->refresh();
    mdi_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(siteMap_->parentWidget()));
    return;
  }
  siteMap_ = new frmSiteMap(*this);
  siteMap_->onMakeSection = [this](const std::vector<std::string>& borings) {
    showCrossSection(borings);
  };
  QMdiSubWindow* sub = addChild(siteMap_);
  siteMap_->refresh();
  sub->showMaximized();
  updateMenus();
}

void frmMain::mnuCrossSection_Click() {
  if (busy() || !state_.projectOpen()) return;
  // The line picked on the map, when there is one.
  showCrossSection(siteMap_ && crossSection_ == nullptr ? siteMap_->picked()
                   : crossSection_                      ? crossSection_->borings()
                                                        : std::vector<std::string>());
}

void frmMain::showCrossSection(const std::vector<std::string>& borings) {
  if (busy() || !state_.projectOpen()) return;
  saveOpenEditors();
  if (!crossSection_) {
    crossSection_ = new frmCrossSection(*this);
    addChild(crossSection_)->showMaximized();
  }
  crossSection_->setBorings(borings);
  mdi_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(crossSection_->parentWidget()));
  updateMenus();
}

}  // namespace sq::forms
