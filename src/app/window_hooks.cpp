#include "app/window_hooks.h"

#include "app/resource_ids.h"
#include "guard/win32/registry_watch.h"
#include "lang/languages.h"
#include "online/online.h"
#include "ui/about.h"
#include "ui/language_menu.h"
#include "ui/message_menu.h"
#include "ui/win32/about_view.h"
#include "ui/win32/guard.h"
#include "ui/win32/main_window_view.h"

WindowHooks::WindowHooks(HINSTANCE instance, std::vector<u16> args) : instance_(instance), args_(std::move(args)) {}
WindowHooks::~WindowHooks() = default;

void WindowHooks::Attach(MainWindowView& view) {
  view_ = &view;
  MainWindowHooks& hooks = view.Form().Hooks;

  hooks.BuildLanguageMenu = [this](TMenuItem& langMenu) {
    Build_LanguageMenu(langMenu, ImageList_Flags, [this](TMenuItem& item) {
      TForm_Veilcap& form = view_->Form();
      LanguageMenuTargets targets;
      targets.mainWindow = &form;
      targets.repaintStatus = [&form] { form.Repaint_Status(); };
      // The labels are windows of their own: they show a new caption only when told.
      targets.textsChanged = [&form] {
        for (TControl* c : form.Controls()) c->Refresh();
      };
      Tray_LangClick(item, targets);
    });
  };

  hooks.OnlineServicesStart = [this] {
    if (OnlineServices_Start(GetDesktopWindow(), LCID_To_LanguageTag(uint32_t(CurrentLanguage_LCID))))
      view_->Close();  // the checks asked the program to end: the message loop ends with the window
  };

  hooks.BuildMessageMenu = [this] {
    TForm_Veilcap& form = view_->Form();
    Build_MessageMenu(*form.AdvPopupMenu_IM, ImageList_IM, args_, [this](TMenuItem& item) {
      MenuItem_IM_DummyClick(item, view_->Window(), [this] { view_->Form().PellamMouseImage3State_CloseClick(); });
    });
  };

  hooks.OpenFeedback = [] { Open_OnlineLink(u"feedback"); };
  hooks.ShowAbout = [this] { ShowAboutDialog(instance_, view_->Window(), {IDB_ABOUT, IDR_ABOUT_150, IDR_ABOUT_200}); };

  hooks.SetInUseWatchActive = [this](bool active) {
    if (!active) {
      watch_.reset();
    } else if (!watch_) {
      watch_ = std::make_unique<RegistryWatch>(RegistryWatch::DefaultKeys(), [this] {
        GuardedCall(view_->Window(), [this] { view_->Form().InUse_Changed(); });
      });
    }
  };

  hooks.SetPolicyWatchActive = [this](bool active) {
    if (!active) {
      policyWatch_.reset();
    } else if (!policyWatch_) {
      policyWatch_ = std::make_unique<RegistryWatch>(RegistryWatch::PolicyKeys(), [this] {
        GuardedCall(view_->Window(), [this] { view_->Form().Policies_Changed(); });
      });
    }
  };
}

OnlineShutdownAtExit::~OnlineShutdownAtExit() { OnlineServices_Stop(GetDesktopWindow()); }
