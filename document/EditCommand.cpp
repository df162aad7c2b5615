#include "document/EditCommand.h"

namespace {

QString TextOf(EditKind Kind) {
    switch (Kind) {
    case EditKind::Input:
        return QStringLiteral("Traffic Change");
    case EditKind::Timing:
        return QStringLiteral("Timing Change");
    case EditKind::VerticalMove:
    case EditKind::Relayout:
        return QStringLiteral("Junction Move");
    case EditKind::Reset:
        return QStringLiteral("Reset");
    }
    return QString();
}

constexpr int MoveId = 1;
constexpr int KeyRunId = 2;

} // namespace

TEditCommand::TEditCommand(EditKind Kind, TEditState Before, TEditState After, Apply Applier,
                           int MergeKey)
    : QUndoCommand(TextOf(Kind)), FKind(Kind), FBefore(std::move(Before)), FAfter(std::move(After)),
      FApply(std::move(Applier)), FMergeKey(MergeKey) {}

void TEditCommand::undo() {
    FApply(FBefore);
}

void TEditCommand::redo() {
    if (FDone) {
        FDone = false;
        return;
    }
    FApply(FAfter);
}

int TEditCommand::id() const {
    const bool openMove = FKind == EditKind::VerticalMove && !FClosed;
    if (openMove || FKind == EditKind::Relayout) {
        return MoveId;
    }
    return FMergeKey != 0 ? KeyRunId : -1;
}

bool TEditCommand::mergeWith(const QUndoCommand *Other) {
    const auto *other = static_cast<const TEditCommand *>(Other);
    if (FClosed) {
        return false;
    }
    if (FKind == EditKind::VerticalMove && other->FKind == EditKind::Relayout) {
        FAfter = other->FAfter;
        FClosed = true;
        return true;
    }
    if (FMergeKey != 0 && other->FMergeKey == FMergeKey) {
        FAfter = other->FAfter;
        // A run that undid itself (Right, then Left) is no step at all; which junction is
        // selected is no edit of its own.
        TEditState after = FAfter;
        after.Selected = FBefore.Selected;
        setObsolete(after == FBefore);
        return true;
    }
    return false;
}
