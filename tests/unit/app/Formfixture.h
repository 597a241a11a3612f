// The uninstall window in this process, with its real driver, over a throwaway installation.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "app/Frmuninstall.h"
#include "toolkit/Application.h"
#include "unit/app/Throwaway.h"
#include "unit/toolkit/Boxanswer.h"

class FormFixture : public ::testing::Test {
protected:
  void SetUp() override {
    DrainQuit();
    ASSERT_TRUE(app.Initialize(::GetModuleHandleA(nullptr)));
    app.SetTitle("Tarvolink Uninstall");
  }
  void TearDown() override {
    form.reset();
    DrainQuit();
  }
  // Creates the window as the entry point does, and shows it unless start-up failed.
  void Create(TFormUninstall* f) {
    form.reset(f);
    app.CreateForm(f);
    if (!app.Terminated()) f->Show();
  }
  void Click(const TSpeedButton& b) {
    LPARAM at = MAKELPARAM(b.Left() + b.Width() / 2, b.Top() + b.Height() / 2);
    ::PostMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageA(form->Handle(), WM_LBUTTONUP, 0, at);
  }
  bool PumpUntilTerminated() {
    return PumpUntil([this] { return app.Terminated(); }, 60);
  }
  bool IdleShown() const {
    return form->BtnUninstall.Visible() && !form->LabelMsg.Visible() && !form->CGaugeSetup.Visible() &&
           form->BtnClose.Visible();
  }

  Throwaway install{"form"};
  TApplication app;
  std::unique_ptr<TFormUninstall> form;
};
