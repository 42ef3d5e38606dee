import QtQuick
import QtQuick.Layouts
import Dictrava

// One row of a settings list: its content, then a trash button at the right end.
Item {
    id: row

    required property int index
    required property Item entryList
    default property alias rowContent: body.data
    signal removeRequested

    implicitHeight: layout.implicitHeight + 12

    TapHandler {
        onTapped: row.entryList.select(row.index)
    }

    RowLayout {
        id: layout

        x: 8
        y: 6
        width: parent.width - 16

        ColumnLayout {
            id: body
            Layout.fillWidth: true
            spacing: 2
        }
        IconButton {
            Layout.alignment: Qt.AlignTop
            symbol: "trash"
            name: "Delete"
            tint: Theme.destructive
            onClicked: row.removeRequested()
        }
    }
}
