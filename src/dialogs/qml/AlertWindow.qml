import QtQuick

Window {
}
