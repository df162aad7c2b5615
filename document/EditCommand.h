#pragma once

#include "model/Scenario.h"

#include <QUndoCommand>

#include <functional>

// What the window shows, as far as an undo step must give it back: the settings, the places
// the diagram was last laid out for and the selected junction.
struct TEditState {
    Scenario Settings;
    PerJunction<int> LaidOutTops{};    // the strips' tops the links were last laid out for
    bool LayoutPending = false;        // a strip moved since (Refresh is enabled)
    bool ComposedWhilePending = false; // a panel edit recomposed the diagram since the move,
    PerJunction<int> ComposedTops{};   // with the strips here
    int Selected = 1;                  // the junction panel's junction
    bool Recomputed = true;            // false until the first recomputation: the measures
                                       // then show the form's captions
    friend bool operator==(const TEditState &, const TEditState &) = default;
};

// The kinds of edit: consecutive steps are never merged, except a re-layout that follows the
// vertical move it completes, and a run of key presses that make the same edit of the same
// junction (see the merge key).
enum class EditKind { Input, Timing, VerticalMove, Relayout, Reset };

// One user edit between two states; undo and redo put the window in one or the other.
class TEditCommand : public QUndoCommand {
  public:
    using Apply = std::function<void(const TEditState &)>;

    // Commands with the same non-zero merge key merge when pushed one after the other.
    TEditCommand(EditKind Kind, TEditState Before, TEditState After, Apply Applier,
                 int MergeKey = 0);

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand *Other) override;

  private:
    EditKind FKind;
    TEditState FBefore;
    TEditState FAfter;
    Apply FApply;
    int FMergeKey = 0;
    bool FDone = true;    // pushing does not apply: the edit has happened already
    bool FClosed = false; // a vertical move takes one re-layout only
};
