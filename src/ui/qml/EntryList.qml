import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// The list of a settings tab, in a rounded box; Delete removes the selected row.
Rectangle {
    id: frame

    property alias model: list.model
    property alias delegate: list.delegate
    property alias currentIndex: list.currentIndex
    signal deleteRequested(int row)

    Layout.leftMargin: 16
    Layout.rightMargin: 16
    Layout.bottomMargin: 16
    radius: 8
    color: Theme.groupBackground
    border.color: Theme.divider

    function select(row) {
        list.currentIndex = row
        list.forceActiveFocus()
    }

    ListView {
        id: list

        anchors.fill: parent
        anchors.margins: 4
        clip: true
        keyNavigationEnabled: true
        highlightMoveDuration: 0
        currentIndex: -1
        ScrollBar.vertical: ScrollBar {}

        highlight: Rectangle {
            // The list sizes a highlight only while it has no width; bound, it follows the rows.
            width: list.width
            radius: 6
            color: list.activeFocus ? Theme.hoverFill : "transparent"
        }

        Keys.onDeletePressed: if (currentIndex >= 0) frame.deleteRequested(currentIndex)
    }
}
