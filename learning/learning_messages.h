#pragma once
// The texts learning and deleting show, exactly as the user sees them. Several
// end in the full-width exclamation mark; messages about one key put the key's
// label directly in front of the fixed text.
namespace learning::messages {

// Learning mode and the choice of a key.
inline constexpr char kDeletingNowStopFirst[] =
    "It is deleting now! Please stop deleting first if you want to stop to learn！";
inline constexpr char kChooseKeyLeft[] = "click one button needs to learn left.";
inline constexpr char kButtonWord[] = "button";
inline constexpr char kIsLearningNowSuffix[] =
    "is learning now! Click on Stop learning to stop learning operation!";
inline constexpr char kStartToLearnFirst[] = "Please click on Start to learn first!";
inline constexpr char kLearnAgainSuffix[] = "button has learnt, do you need to learn again?";
inline constexpr char kPressOriginalKey[] = "press a button to be learnt on original RC";

// The end of a capture.
inline constexpr char kChooseAgain[] = "choose one button needs to learn again!";
inline constexpr char kKeyIsLearningSuffix[] = "is learning now！";
inline constexpr char kLearnedFailly[] = "RC code is learned failly!";
inline constexpr char kCodeReceived[] = "RC code is received!";
inline constexpr char kStoredInButton[] = "RC code has been stored in Button";

// Deleting.
inline constexpr char kLearningNowForDelete[] =
    "It is learning now! Please click on Stop learning for other operations!";
inline constexpr char kLearningNowForClear[] =
    "It is learning now! Please click on Stop Learning for other operations!";
inline constexpr char kChooseKeyToDelete[] =
    "Please click a button needs to delete on the URC panel left";
inline constexpr char kNeverLearned[] = "This button is never done for learning before!";
inline constexpr char kSureToDelete[] = "Sure to delete the learned code of this button?";
inline constexpr char kDeletingFinished[] = "Deleting is finished!";
inline constexpr char kDeletingFailure[] = "Deleting is failure!";
inline constexpr char kDeletingModeOn[] =
    "It is on deleting mode! Please click on Stop Deleting first for other operations!";
inline constexpr char kNothingToDelete[] = "No code can be deleted！";
inline constexpr char kSureToClearAll[] = "Sure to clear all the learned codes of the buttons?";
inline constexpr char kClearingFinished[] = "Clearing is finished!";

} // namespace learning::messages
