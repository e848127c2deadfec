// SPDX-License-Identifier: MIT
#pragma once
// "Od" and "Do" of a commissioning test: a list of the matrix's rows by label.

class QComboBox;
class QWidget;

QComboBox* make_row_picker(const char* object_name, QWidget* parent);
