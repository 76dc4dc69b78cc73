#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "saver/saver_arguments.h"

namespace {

std::tuple<HackWindow::Kind, std::uint64_t> Hack(std::vector<const char*> args,
                                                 const char* environment = nullptr) {
  args.insert(args.begin(), "plasma-tunnel");
  const HackWindow window = ReadHackWindow(static_cast<int>(args.size()), args.data(), environment);
  return {window.kind, window.id};
}

std::tuple<WindowsSaverRequest::Mode, std::uint64_t> Windows(std::vector<const char*> args) {
  args.insert(args.begin(), "plasma-tunnel.scr");
  const WindowsSaverRequest request =
      ReadWindowsSaverRequest(static_cast<int>(args.size()), args.data());
  return {request.mode, request.window};
}

TEST(HackWindow, NamedWindowThenXscreensaversThenRootThenItsOwn) {
  using W = HackWindow;
  EXPECT_EQ(Hack({}), std::make_tuple(W::kOwn, 0u));
  EXPECT_EQ(Hack({"-root"}), std::make_tuple(W::kRoot, 0u));
  EXPECT_EQ(Hack({"--root", "-out-of-tunnel"}), std::make_tuple(W::kRoot, 0u));
  EXPECT_EQ(Hack({"--root"}, "0x2a00007"), std::make_tuple(W::kNamed, 0x2a00007u));
  EXPECT_EQ(Hack({}, "44040199"), std::make_tuple(W::kNamed, 44040199u));
  EXPECT_EQ(Hack({}, ""), std::make_tuple(W::kOwn, 0u));
  EXPECT_EQ(Hack({"-root", "-window-id", "0x400001"}, "0x2a00007"),
            std::make_tuple(W::kNamed, 0x400001u));
  EXPECT_EQ(Hack({"-no-moving-plasma", "--window-id", "123"}), std::make_tuple(W::kNamed, 123u));
}

TEST(HackWindow, WhatIsNotAWindowNumberIsRefused) {
  for (const char* bad : {"", "0", "0x", "12abc", "-5", "+5", " 5", "window",
                          "0x1ffffffffffffffff"}) {
    EXPECT_EQ(std::get<0>(Hack({"-window-id", bad})), HackWindow::kMalformed) << bad;
    EXPECT_EQ(std::get<0>(Hack({"-root"}, bad[0] == '\0' ? "0" : bad)), HackWindow::kMalformed)
        << bad;
  }
  EXPECT_EQ(std::get<0>(Hack({"-window-id"})), HackWindow::kMalformed);
}

TEST(WindowsSaverRequest, EveryFormWindowsPasses) {
  using R = WindowsSaverRequest;
  EXPECT_EQ(Windows({}), std::make_tuple(R::kSettings, 0u));
  for (const char* show : {"/s", "/S", "-s", "/s:0"}) {
    EXPECT_EQ(Windows({show}), std::make_tuple(R::kShow, 0u)) << show;
  }
  EXPECT_EQ(Windows({"/p", "1234"}), std::make_tuple(R::kPreview, 1234u));
  EXPECT_EQ(Windows({"/P:1234"}), std::make_tuple(R::kPreview, 1234u));
  EXPECT_EQ(Windows({"/p:0x4d2"}), std::make_tuple(R::kPreview, 1234u));
  EXPECT_EQ(Windows({"/c"}), std::make_tuple(R::kSettings, 0u));
  EXPECT_EQ(Windows({"/C:5678"}), std::make_tuple(R::kSettings, 5678u));
  EXPECT_EQ(Windows({"/c", "5678"}), std::make_tuple(R::kSettings, 5678u));
}

TEST(WindowsSaverRequest, WhatWindowsNeverPassesIsRefused) {
  for (const std::vector<const char*>& args :
       std::vector<std::vector<const char*>>{{"/p"}, {"/p:"}, {"/p", "x"}, {"/p:12x"},
                                             {"/x"}, {"/"}, {"s"}, {"/save"}, {""}}) {
    EXPECT_EQ(std::get<0>(Windows(args)), WindowsSaverRequest::kMalformed) << args[0];
  }
}

}  // namespace
