import QtQuick 2.15

// Root of the terminal's screens: idle, personal-number entry, entrance and
// administration, plus the screen saver and the message banner above them.
FocusScope {
    id: root
    objectName: "vmain"

    property string screen: "idle"
    property var now: new Date()
    property int serverState: base.getProxyState()
    property int saverLevel: 0
    property string language: String(zepSettings.value("global/language", "SK")).toUpperCase()
    property string terminalName: zepSettings.value("global/terminalName", "")
    property int saverDelay: Math.max(1, Number(zepSettings.value("ui/screenSaverDelay", 60)))
    readonly property var locale: Qt.locale(language === "EN" ? "en_GB" : "sk_SK")

    width: parent ? parent.width : 800
    height: parent ? parent.height : 480
    focus: true

    onWidthChanged: Theme.scale = Math.min(width / 800, height / 480)
    onHeightChanged: Theme.scale = Math.min(width / 800, height / 480)
    Component.onCompleted: {
        Theme.scale = Math.min(width / 800, height / 480)
        idleScreen.forceActiveFocus()
    }

    function setting(key, fallback) {
        return zepSettings.value(key, fallback)
    }

    function play(key) {
        sndMan.play(key)
    }

    // Every key press and touch goes through here: it restarts the screen-saver
    // countdown and wakes the screen.
    function activity() {
        saverTimer.restart()
        if (saverLevel > 0) {
            saverLevel = 0
            base.sSaverLevelChanged(0)
        }
    }

    function showMessage(text, kind) {
        banner.show(text, kind)
    }

    function goIdle() {
        screen = "idle"
        aktClovek.clear()
        idleScreen.reset()
        idleScreen.forceActiveFocus()
    }

    function showPinEntry() {
        screen = "pin"
        pinLoader.load().open()
    }

    function startEntrance(uid) {
        banner.hide()
        var entrance = entranceLoader.load()
        screen = "entrance"
        entrance.begin(uid)
        entrance.forceActiveFocus()
    }

    function identifyByCard(code) {
        // A fresh picture for the photograph of the coming entrance.
        camCtrl.updatePicture()
        var uid = manPrerus.overKartu(code)
        if (uid > 0) {
            startEntrance(uid)
            return
        }
        if (base.isPIN() && /^[0-9]{1,9}$/.test(code)) {
            uid = manPrerus.overPIN(parseInt(code, 10))
            if (uid > 0) {
                startEntrance(uid)
                return
            }
        }
        showMessage(qsTr("This card is not registered."), "error")
        play("nrk")
    }

    function identifyByNumber(number) {
        camCtrl.updatePicture()
        var uid = manPrerus.overPIN(number)
        if (uid > 0) {
            startEntrance(uid)
            return true
        }
        showMessage(qsTr("This personal number is not registered."), "error")
        play("nid")
        return false
    }

    function openAdministration() {
        screen = "setup"
        setupLoader.load().open()
    }

    Connections {
        target: base
        function onProxyStateChanged(status) { root.serverState = status }
    }

    Connections {
        target: zepSettings
        function onOnWrite(key) {
            if (key === "global/terminalName")
                root.terminalName = zepSettings.value("global/terminalName", "")
            else if (key === "ui/screenSaverDelay")
                root.saverDelay = Math.max(1, Number(zepSettings.value("ui/screenSaverDelay", 60)))
        }
    }

    Timer {
        interval: 1000
        running: true
        repeat: true
        onTriggered: root.now = new Date()
    }

    Timer {
        id: saverTimer
        interval: root.saverDelay * 1000
        running: true
        onTriggered: {
            if (root.saverLevel === 0) {
                if (root.screen !== "idle")
                    root.goIdle()
                root.saverLevel = 1
                base.sSaverLevelChanged(1)
                restart()
            } else if (root.saverLevel === 1) {
                root.saverLevel = 2
                base.sSaverLevelChanged(2)
            }
        }
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.background
    }

    IdleScreen {
        id: idleScreen
        objectName: "idleScreen"
        anchors.fill: parent
        ui: root
        visible: root.screen === "idle"
    }

    ScreenLoader {
        id: pinLoader
        visible: root.screen === "pin"
        sourceComponent: Component {
            PinScreen { ui: root }
        }
    }

    ScreenLoader {
        id: entranceLoader
        visible: root.screen === "entrance"
        sourceComponent: Component {
            EntranceScreen {
                objectName: "entranceScreen"
                ui: root
            }
        }
    }

    ScreenLoader {
        id: setupLoader
        visible: root.screen === "setup"
        sourceComponent: Component {
            SetupGate {
                ui: root
                onGranted: {
                    root.screen = "admin"
                    adminLoader.active = true
                    adminLoader.item.forceActiveFocus()
                }
            }
        }
    }

    // The entrance screen is wanted within seconds of any card: build it as soon
    // as the idle screen is shown.
    Timer {
        interval: 300
        running: true
        onTriggered: entranceLoader.active = true
    }

    Loader {
        id: adminLoader
        anchors.fill: parent
        active: false
        visible: root.screen === "admin"
        sourceComponent: Component {
            AdminScreen {
                ui: root
                onClosed: {
                    adminLoader.active = false
                    root.goIdle()
                }
            }
        }
        onLoaded: item.forceActiveFocus()
    }

    MessageBanner {
        id: banner
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
    }

    ScreenSaver {
        objectName: "screenSaver"
        anchors.fill: parent
        level: root.saverLevel
        now: root.now
        locale: root.locale
    }

    // Touches anywhere count as activity; the press itself goes on to the
    // item below.
    MouseArea {
        anchors.fill: parent
        propagateComposedEvents: true
        onPressed: {
            // The touch that wakes a dimmed screen only wakes it.
            var asleep = root.saverLevel > 0
            root.activity()
            mouse.accepted = asleep
        }
    }
}
