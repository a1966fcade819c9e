#pragma once
// Grids set up for one use each: a table with a header and lines (the note manager), a
// one-column list of hosted controls (the plug-in list) and a one-column text list (the
// select field's drop-down).

#include "kx/KxGrid.h"

// Whole-row selection, a narrow row header, grid lines and one header row for columns.
class KxTableCard : public KxGridCard {
public:
  KxTableCard(KxControl* parent, const KxRect& rect);
};

// One column as wide as the client area under a hidden header row; each row hosts one
// control and is as high as it.
class KxListCard : public KxGridCard {
public:
  KxListCard(KxControl* parent, const KxRect& rect);
  void OnSize(const RECT& client) override;
  // The control must be a child of this list.
  KxGridCardRow* AddControlRow(KxControl* control);
};

// One column of left-aligned texts under a 2-pixel white header row.
class KxListBoxCard : public KxGridCard {
public:
  KxListBoxCard(KxControl* parent, const KxRect& rect);
  void OnSize(const RECT& client) override;
  KxGridCardRow* AddTextRow(const KxString& text);
};
