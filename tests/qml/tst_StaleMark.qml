import QtQuick
import QtTest
import "../../qml/controls"

TestCase {
    name: "StaleMark"
    when: windowShown

    Component {
        id: markComponent
        StaleMark { ownClock: false }
    }

    function test_staleAfterThreePeriods_data() {
        return [
            { tag: "fresh", status: 1, ageMs: 2900, stale: false },
            { tag: "three periods old", status: 1, ageMs: 3100, stale: true },
            { tag: "failed read shows no value, not a stale one", status: 2, ageMs: 10000, stale: false },
        ]
    }
    function test_staleAfterThreePeriods(row) {
        var mark = createTemporaryObject(markComponent, this, { periodMs: 1000 })
        mark.noteStatus(1)
        mark.noteStatus(row.status)
        mark.nowMs = mark.freshAtMs + row.ageMs
        compare(mark.stale, row.stale)
    }

    function test_learnsThePeriodOfItsReadings() {
        var mark = createTemporaryObject(markComponent, this, { periodMs: 100, learnsPeriod: true })
        mark.noteStatus(1)
        wait(400)
        mark.noteStatus(1) // the readings come every 400 ms or more, not every 100 ms
        var period = mark.learntPeriodMs
        verify(period >= 400)
        mark.nowMs = mark.freshAtMs + 3 * period - 50
        verify(!mark.stale)
        mark.nowMs = mark.freshAtMs + 3 * period + 50
        verify(mark.stale)
    }
}
