#include "store/PhraseCommandIds.h"

#include <vector>

namespace {

// The identifiers handed out to other phrases: from the first one above the
// category positions up to the direct range, then above the Toolbox commands.
const UINT FirstHighMappedCommand = 50021;
const UINT LastMappedCommand = 0xFFFE;

UINT firstMappedCommand = 1;
// The database the menu was read from (DatabaseGeneration).
unsigned long menuDatabase = 0;
// PhraseIDs of the phrases given mapped identifiers, in the order handed out.
std::vector<PhraseId> mappedPhrases;

size_t LowMappedCount()
{
    return firstMappedCommand < FirstPhraseCommand ? FirstPhraseCommand - firstMappedCommand : 0;
}

} // namespace

void ResetPhraseCommands(int categoryCount)
{
    mappedPhrases.clear();
    firstMappedCommand = categoryCount > 1 ? static_cast<UINT>(categoryCount) : 1;
    menuDatabase = DatabaseGeneration();
}

bool PhraseCommandsOutdated()
{
    return menuDatabase != DatabaseGeneration();
}

UINT CommandForPhrase(PhraseId phraseId)
{
    if (phraseId >= 0 && phraseId <= LargestDirectPhraseId) return FirstPhraseCommand + static_cast<UINT>(phraseId);
    size_t index = mappedPhrases.size();
    size_t low = LowMappedCount();
    if (index >= low + (LastMappedCommand - FirstHighMappedCommand + 1)) return 0;
    mappedPhrases.push_back(phraseId);
    return index < low ? firstMappedCommand + static_cast<UINT>(index)
                       : FirstHighMappedCommand + static_cast<UINT>(index - low);
}

bool PhraseForCommand(UINT commandId, PhraseId& phraseId)
{
    if (commandId >= FirstPhraseCommand && commandId <= FirstPhraseCommand + LargestDirectPhraseId) {
        phraseId = commandId - FirstPhraseCommand;
        return true;
    }
    size_t index;
    if (commandId >= firstMappedCommand && commandId < FirstPhraseCommand) {
        index = commandId - firstMappedCommand;
    } else if (commandId >= FirstHighMappedCommand && commandId <= LastMappedCommand) {
        index = LowMappedCount() + (commandId - FirstHighMappedCommand);
    } else {
        return false;
    }
    if (index >= mappedPhrases.size()) return false;
    phraseId = mappedPhrases[index];
    return true;
}
