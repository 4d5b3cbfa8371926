#pragma once

#include "catalogue/core/CatalogueContext.h"

namespace catalogue {

/** The catalogue's questions put to the user in message boxes, worded as the program asks. */
class UserQuestions final : public Questions {
public:
    Answer replaceExisting(const QString& target) override;
    Answer copyFailed(const QString& target) override;
    Answer replaceFileInFolder(const QString& target) override;
    bool replaceMaterials(const QString& folder) override;
    bool restoreCatalogue(const RestoreOffer& offer) override;
};

} // namespace catalogue
