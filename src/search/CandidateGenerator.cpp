#include "search/CandidateGenerator.h"

#include "core/TermTable.h"
#include "formulas/NumberRules.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace quorvel {

namespace {

QString joinedTerms(const Candidate& candidate, QString Term::*text)
{
    QString result;
    for (const int term : candidate.terms) {
        result += termTable()[std::size_t(term)].*text;
        result += u'+';
    }
    result += QString::number(candidate.constant);
    return result;
}

} // namespace

CandidateGenerator::CandidateGenerator(quint64 seed, quint64 firstIndex)
    : m_key(CandidateRandom::keyOf(seed)), m_next(firstIndex)
{
}

void CandidateGenerator::generate(const GenerationSettings& settings, Candidate& candidate)
{
    CandidateRandom random(m_key, m_next++);
    int terms[kMaximumOperands];
    int constant = 0;
    const int count = draw(settings, random, terms, constant);
    candidate.terms.assign(terms, terms + count);
    candidate.constant = constant;
}

Candidate CandidateGenerator::generate(const GenerationSettings& settings)
{
    Candidate candidate;
    generate(settings, candidate);
    return candidate;
}

Candidate CandidateGenerator::candidateAt(quint64 seed, quint64 index, const GenerationSettings& settings)
{
    CandidateGenerator generator(seed, index);
    return generator.generate(settings);
}

quint64 CandidateGenerator::clockSeed()
{
    return quint64(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

QString CandidateGenerator::code(const Candidate& candidate)
{
    return joinedTerms(candidate, &Term::code);
}

QString CandidateGenerator::displayExpression(const Candidate& candidate)
{
    return joinedTerms(candidate, &Term::name);
}

QString CandidateGenerator::displayText(const Candidate& candidate, const GenerationSettings& settings)
{
    return FormulaText::compose(displayExpression(candidate), settings.position, settings.kill,
                                settings.shape);
}

int CandidateGenerator::specifiedConstant(const QString& text)
{
    bool isNumber = false;
    const double value = text.trimmed().toDouble(&isNumber);
    if (!isNumber || std::isnan(value))
        return 0;
    const double whole = roundHalfEven(value);
    return int(std::clamp(whole, double(std::numeric_limits<qint16>::min()),
                          double(std::numeric_limits<qint16>::max())));
}

} // namespace quorvel
