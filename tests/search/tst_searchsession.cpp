#include "core/Settings.h"
#include "oracle/SyntheticHistory.h"
#include "search/SearchSession.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <random>

using namespace quorvel;

class TestSearchSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void searchWithTheSameSeedGoesOnAfterTheLastRun();
    void everyRunScoresOverTheRetrievalPeriods();
    void tuningAllPositionsSavesEachOfOneKind();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<Settings> m_store;
    std::unique_ptr<SearchSession> m_session;
};

void TestSearchSession::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_store = std::make_unique<Settings>(m_folder->filePath(QStringLiteral("settings.ini")));
    std::mt19937_64 random(20240616);
    auto history = std::make_shared<const DrawTable>(oracle::randomHistory(400, random));
    m_session = std::make_unique<SearchSession>(*m_store, [history] { return history; });
}

void TestSearchSession::cleanup()
{
    m_session.reset();
    m_store.reset();
    m_folder.reset();
}

void TestSearchSession::searchWithTheSameSeedGoesOnAfterTheLastRun()
{
    SingleSearchRequest request;
    request.generation.kill = true;
    request.bounds.values = {2, 32768, 0, 64, 2, 32768, 0, 0};
    request.seed = 7;
    request.candidateLimit = 3000;
    const SearchOutcome first = m_session->runSearch(request);
    QCOMPARE(first.tried, 3000u);
    QVERIFY(first.found > 0);
    QCOMPARE(m_session->foundList().size(), first.found);

    // The found target counts the whole found list, so the next run finds only what is missing.
    request.foundTarget = first.found + 2;
    const SearchParameters again = m_session->searchParameters(request);
    QCOMPARE(again.firstCandidate, 3000u);
    QCOMPARE(again.foundTarget, std::optional(2));
    request.seed = 8;
    QCOMPARE(m_session->searchParameters(request).firstCandidate, 0u);
    request.seed.reset(); // a seed from the clock starts afresh too
    QCOMPARE(m_session->searchParameters(request).firstCandidate, 0u);
}

void TestSearchSession::everyRunScoresOverTheRetrievalPeriods()
{
    m_store->setRetrievalPeriodsIndex(5);
    QCOMPARE(m_session->searchParameters({}).periods, 600);
    QCOMPARE(m_session->schemeParameters({}).periods, 600);
    QCOMPARE(m_session->tuningParameters({}).periods, 600);
    // The companion's --periods holds for its session only.
    m_session->setPeriods(0);
    QCOMPARE(m_session->schemeParameters({}).periods, 0);
}

void TestSearchSession::tuningAllPositionsSavesEachOfOneKind()
{
    QSignalSpy results(m_session.get(), &SearchSession::tuningResultReady);
    QSignalSpy finished(m_session.get(), &SearchSession::tuningFinished);
    TuningRequest request;
    request.generation.kill = true;
    request.samples = 20;
    QVERIFY(!m_session->startTuning(request, true));
    QVERIFY(m_session->isTuning());
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(results.count(), 8);
    for (int position = 1; position <= 8; ++position) {
        QCOMPARE(m_store->categoryBound(position, true, 3), 32767.0); // the tuning's open upper end
        QCOMPARE(m_store->categoryBound(position, false, 3), 32768.0);
    }
}

QTEST_GUILESS_MAIN(TestSearchSession)
#include "tst_searchsession.moc"
