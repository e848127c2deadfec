// SPDX-License-Identifier: MIT
#pragma once
// Labels take the size of their text, keeping their top-left corner. Text is
// measured only where it is about to be seen: measuring it is a good part of
// a window's start-up, and a page that is hardly ever shown need not pay for
// it before the window first appears.

class QWidget;

// Sizes the labels under `widget` now.
void size_labels_to_text(QWidget& widget);

// Sizes the labels under `page` when the page is first shown.
void size_labels_to_text_when_shown(QWidget& page);
