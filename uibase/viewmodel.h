#pragma once

class QAbstractItemModel;
class QAbstractItemView;

// Puts the model (or none) into the view and frees the selection models the
// view no longer uses. QAbstractItemView::setModel makes a new selection
// model on every call, even for no model, and keeps the old one as its
// child; a table's headers make one each too, which the table replaces at
// once by its own. Qt frees them only with their model, and never those of
// its own empty model, so a page that is given its models for every relay
// would gather them all day.
void setViewModel(QAbstractItemView *view, QAbstractItemModel *model);
