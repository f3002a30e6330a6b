#include "search/CandidateGenerator.h"

#include "core/TermTable.h"
#include "formulas/NumberRules.h"

#include <algorithm>
#include <chrono>
#include <limits>

namespace quorvel {

namespace {

quint64 clockSeed()
{
    return quint64(std::chrono::high_resolution_clock::now().time_since_epoch().count());
}

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

CandidateGenerator::CandidateGenerator() : CandidateGenerator(clockSeed()) {}

CandidateGenerator::CandidateGenerator(quint64 seed) : m_engine(seed) {}

CandidateGenerator::CandidateGenerator(RandomSource source) : m_source(std::move(source)) {}

double CandidateGenerator::nextUniform()
{
    if (m_source)
        return m_source();
    return double(m_engine() >> 11) * 0x1.0p-53;
}

void CandidateGenerator::generate(const GenerationSettings& settings, Candidate& candidate)
{
    const int operands = std::clamp(settings.operandCount, kMinimumOperands, kMaximumOperands);
    candidate.terms.resize(std::size_t(operands));
    for (int& term : candidate.terms)
        term = std::clamp(int(nextUniform() * kTermCount), 0, kTermCount - 1);
    candidate.constant = settings.constant ? *settings.constant : std::clamp(int(nextUniform() * 20), 0, 19);
}

Candidate CandidateGenerator::generate(const GenerationSettings& settings)
{
    Candidate candidate;
    generate(settings, candidate);
    return candidate;
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
