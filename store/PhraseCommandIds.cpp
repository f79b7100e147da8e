#include "store/PhraseCommandIds.h"

#include <vector>

namespace {
// PhraseIDs of the phrases given mapped identifiers, by identifier - FirstMappedPhraseCommand.
std::vector<int> mappedPhrases;
} // namespace

void ResetPhraseCommands()
{
    mappedPhrases.clear();
}

UINT CommandForPhrase(int phraseId)
{
    if (phraseId >= 0 && phraseId <= LargestDirectPhraseId) return FirstPhraseCommand + static_cast<UINT>(phraseId);
    if (phraseId < 0) return 0;
    if (mappedPhrases.size() > LastMappedPhraseCommand - FirstMappedPhraseCommand) return 0;
    mappedPhrases.push_back(phraseId);
    return FirstMappedPhraseCommand + static_cast<UINT>(mappedPhrases.size() - 1);
}

int PhraseForCommand(UINT commandId)
{
    if (commandId >= FirstPhraseCommand && commandId <= FirstPhraseCommand + LargestDirectPhraseId)
        return static_cast<int>(commandId - FirstPhraseCommand);
    if (commandId >= FirstMappedPhraseCommand && commandId <= LastMappedPhraseCommand) {
        size_t index = commandId - FirstMappedPhraseCommand;
        if (index < mappedPhrases.size()) return mappedPhrases[index];
    }
    return -1;
}
