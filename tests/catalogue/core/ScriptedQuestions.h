#pragma once

#include "catalogue/core/CatalogueContext.h"

#include <QStringList>
#include <deque>
#include <initializer_list>
#include <vector>

/**
 * Answers the catalogue's questions from a script (Cancel when it runs out) and keeps each
 * question as "name: subject", and the restore offers whole.
 */
class ScriptedQuestions final : public catalogue::Questions {
public:
    Answer replaceExisting(const QString& target) override {
        return next(QStringLiteral("replaceExisting"), target);
    }
    Answer copyFailed(const QString& target) override {
        return next(QStringLiteral("copyFailed"), target);
    }
    Answer replaceFileInFolder(const QString& target) override {
        return next(QStringLiteral("replaceFileInFolder"), target);
    }
    bool replaceMaterials(const QString& folder) override {
        return next(QStringLiteral("replaceMaterials"), folder) == Answer::Ok;
    }
    bool restoreCatalogue(const catalogue::RestoreOffer& offer) override {
        offers.push_back(offer);
        return next(QStringLiteral("restoreCatalogue"), offer.problem) == Answer::Yes;
    }

    /** Queues answers for the next questions. */
    void answer(std::initializer_list<Answer> next) { answers.insert(answers.end(), next); }

    std::deque<Answer> answers;
    QStringList asked;
    std::vector<catalogue::RestoreOffer> offers;

private:
    Answer next(const QString& name, const QString& subject) {
        asked << name + QStringLiteral(": ") + subject;
        if (answers.empty())
            return Answer::Cancel;
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
};
