#include "platform/gtk/gtk_layout.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace blindfold::gtk {
namespace {

// Each control goes into the frame drawn round its top left corner; a control
// on every page, a frame and a control outside every frame go into none.
TEST(GtkLayout, AControlSitsInTheFrameDrawnRoundIt) {
  EXPECT_EQ(FrameOf(InfoOf(Control::txtPassword)), Control::frmPassword);
  EXPECT_EQ(FrameOf(InfoOf(Control::chkShutdownBlindfold)), Control::frmPassword);
  EXPECT_EQ(FrameOf(InfoOf(Control::Slider1)), Control::frmSound);
  EXPECT_EQ(FrameOf(InfoOf(Control::frmSound)), std::nullopt);
  EXPECT_EQ(FrameOf(InfoOf(Control::cmdOK)), std::nullopt);
  EXPECT_EQ(FrameOf(InfoOf(Control::lblHelpOpenWindows_2)), std::nullopt);
  // A frame never shown holds nothing, though drawn where another is.
  EXPECT_EQ(FrameOf(InfoOf(Control::chkStartHidden)), Control::frmStart);
}

// Controls whose tops lie within a row's height share it, left to right,
// whatever their order in the table.
TEST(GtkLayout, RowsGoTopToBottomEachLeftToRight) {
  const auto rows = RowsOf({Control::chkShowWindows, Control::cmdSetPassword, Control::txtPassword,
                            Control::lblPasswordStatus, Control::lblPassword, Control::chkShowBlindfold});
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (std::vector<Control>{Control::lblPassword, Control::txtPassword, Control::cmdSetPassword,
                                           Control::lblPasswordStatus}));
  EXPECT_EQ(rows[1], (std::vector<Control>{Control::chkShowBlindfold}));
  EXPECT_EQ(rows[2], (std::vector<Control>{Control::chkShowWindows}));
}

// Option buttons share their row in equal columns; otherwise boxes for text
// stretch, a line of text alone stretches, and what is drawn in the last
// part of the width sits at the row's end.
TEST(GtkLayout, WhatStretchesAndWhatSitsAtTheEnd) {
  const DesignRect frame = InfoOf(Control::frmPassword).design;
  const RowLayout password = LayOutRow({Control::lblPassword, Control::txtPassword, Control::cmdSetPassword,
                                        Control::lblPasswordStatus},
                                       frame);
  EXPECT_FALSE(password.equalColumns);
  ASSERT_EQ(password.places.size(), 4u);
  EXPECT_FALSE(password.places[0].stretches);  // a label beside its box
  EXPECT_TRUE(password.places[1].stretches);   // the box
  EXPECT_FALSE(password.places[2].atEnd);
  EXPECT_TRUE(password.places[3].atEnd);       // drawn past seven tenths of the frame
  const RowLayout alone = LayOutRow({Control::lblPasswordStatus}, frame);
  EXPECT_TRUE(alone.places[0].stretches);
  EXPECT_FALSE(alone.places[0].atEnd);
  const RowLayout options =
      LayOutRow({Control::optTrayMenu_0, Control::optTrayMenu_1, Control::optTrayMenu_2},
                InfoOf(Control::frmTrayMenu).design);
  EXPECT_TRUE(options.equalColumns);
  EXPECT_TRUE(std::all_of(options.places.begin(), options.places.end(),
                          [](const RowLayout::Place& place) { return place.stretches && !place.atEnd; }));
}

// A page in the design's order: the frames with their rows, the loose rows
// between them; the frame that holds a list takes the spare height; a label
// with an access key names the field after it; what is never shown is kept
// apart.
TEST(GtkLayout, APageInTheDesignsOrder) {
  const PageLayout settings = LayOutPage(static_cast<int>(PanelPage::Settings));
  ASSERT_EQ(settings.blocks.size(), 4u);
  EXPECT_EQ(settings.blocks[0].frame, Control::frmPassword);
  EXPECT_EQ(settings.blocks[0].rows.size(), 4u);
  EXPECT_EQ(settings.blocks[1].frame, Control::frmSound);
  EXPECT_EQ(settings.blocks[2].frame, Control::frmStart);
  EXPECT_EQ(settings.blocks[3].frame, std::nullopt);
  EXPECT_EQ(settings.blocks[3].rows, (std::vector<std::vector<Control>>{{Control::lblHelpOpenWindows_2}}));
  EXPECT_TRUE(std::none_of(settings.blocks.begin(), settings.blocks.end(),
                           [](const PageLayout::Block& block) { return block.expands; }));
  EXPECT_EQ(settings.unseen, (std::vector<Control>{Control::frmDecoy, Control::txtDecoy}));
  ASSERT_EQ(settings.labelledFields.size(), 2u);
  EXPECT_EQ(settings.labelledFields[0].label, Control::lblPassword);
  EXPECT_EQ(settings.labelledFields[0].field, Control::txtPassword);
  EXPECT_EQ(settings.labelledFields[1].field, Control::Slider1);

  const PageLayout openWindows = LayOutPage(static_cast<int>(PanelPage::OpenWindows));
  ASSERT_GE(openWindows.blocks.size(), 2u);
  EXPECT_TRUE(openWindows.blocks[0].expands);
  EXPECT_TRUE(openWindows.blocks[1].expands);

  EXPECT_FALSE(HasOwnLabel(Control::txtTrayIcon));
  EXPECT_TRUE(HasOwnLabel(Control::txtTrayIconTip));
}

}  // namespace
}  // namespace blindfold::gtk
