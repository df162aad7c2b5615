#include "app/EditCommand.h"

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

} // namespace

TEditCommand::TEditCommand(EditKind Kind, TEditState Before, TEditState After, Apply Applier)
    : QUndoCommand(TextOf(Kind)), FKind(Kind), FBefore(std::move(Before)), FAfter(std::move(After)),
      FApply(std::move(Applier)) {}

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
    return openMove || FKind == EditKind::Relayout ? MoveId : -1;
}

bool TEditCommand::mergeWith(const QUndoCommand *Other) {
    const auto *other = static_cast<const TEditCommand *>(Other);
    if (FKind != EditKind::VerticalMove || FClosed || other->FKind != EditKind::Relayout) {
        return false;
    }
    FAfter = other->FAfter;
    FClosed = true;
    return true;
}
