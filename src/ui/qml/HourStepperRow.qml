import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// A stepper over an hour: its label, then − and + (also the arrow keys while focused).
RowLayout {
    id: row

    required property HourStepper stepper

    Text {
        Layout.fillWidth: true
        text: row.stepper.label
        color: Theme.text
        font.pixelSize: Theme.bodySize
    }
    Button {
        implicitWidth: 32
        text: "−"
        enabled: row.stepper.canDecrease
        Accessible.name: "Earlier"
        onClicked: row.stepper.decrease()
        Keys.onDownPressed: row.stepper.decrease()
        Keys.onUpPressed: row.stepper.increase()
    }
    Button {
        implicitWidth: 32
        text: "+"
        enabled: row.stepper.canIncrease
        Accessible.name: "Later"
        onClicked: row.stepper.increase()
        Keys.onDownPressed: row.stepper.decrease()
        Keys.onUpPressed: row.stepper.increase()
    }
}
