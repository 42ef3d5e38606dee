import QtQuick
import Dictrava

Rectangle {
    implicitHeight: 1
    color: Theme.divider
}
