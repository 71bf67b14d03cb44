#pragma once
// The 45 classes of the international classification as classCombo lists them, and
// the created handler of the main window that fills it.

#include <array>

#include "text/Text.h"
#include "toolkit/Toolkit.h"

inline constexpr int kClassCount = 45;

// The labels in GBK, byte for byte; the label at index i stands for class i + 1.
const std::array<Text, kClassCount>& classCatalogue();

// The date written as 2017年1月5日 (GBK): year, month and day in decimal without
// leading zeros.
Text dateText(int year, int month, int day);

// Created handler of MainWindow: appends the 45 labels to classCombo in order,
// selecting none, and writes today's local date into status-bar part 1.
void onMainWindowCreated(Toolkit& toolkit);
