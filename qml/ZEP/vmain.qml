import QtQuick 2.15

// Root of the terminal's screens: idle, personal-number entry, entrance and
// administration, plus the screen saver and the message banner above them.
FocusScope {
    id: root
    objectName: "vmain"

    property string screen: "idle"
    property var now: new Date()
    readonly property int serverState: serverStatus.state
    // Until the first synchronisation ends, a state left by the start (a refused
    // registration, say) is no news: the pill says it is connecting.
    readonly property bool serverConnecting: uiSettings.networking && !serverStatus.answered
    property int saverLevel: 0
    // The touch that wakes a dimmed screen only wakes it.
    property bool waking: false
    readonly property var locale: Qt.locale(uiSettings.language === "EN" ? "en_GB" : "sk_SK")
    readonly property real bannerHeight: banner.visible ? banner.height : 0
    // The last card that matched nobody, for the administration to assign.
    property string unknownCard: ""
    property date unknownCardTime

    width: parent ? parent.width : 800
    height: parent ? parent.height : 480
    focus: true

    onWidthChanged: Theme.scale = Math.min(width / 800, height / 480)
    onHeightChanged: Theme.scale = Math.min(width / 800, height / 480)
    Component.onCompleted: {
        Theme.scale = Math.min(width / 800, height / 480)
        idleScreen.forceActiveFocus()
    }

    function play(key) {
        sndMan.play(key)
    }

    // Every key and pointer event anywhere: restarts the screen-saver countdown
    // and wakes the screen.
    function activity() {
        saverTimer.restart()
        if (saverLevel > 0) {
            saverLevel = 0
            base.sSaverLevelChanged(0)
            waking = true
            Qt.callLater(function() { root.waking = false })
        }
    }

    function showMessage(text, kind) {
        banner.show(text, kind)
    }

    // Back to the waiting screen; whatever was open is dropped unrecorded and
    // the administration is unloaded with its unsaved edits.
    function goIdle() {
        screen = "idle"
        adminLoader.active = false
        aktClovek.clear()
        idleScreen.reset()
        idleScreen.forceActiveFocus()
    }

    function showPinEntry() {
        if (!uiSettings.pinEntry)
            return
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

    // A card read by the reader. In the administration it goes only where a
    // card is expected; anywhere else it abandons what is open and identifies
    // the new card.
    function cardRead(code) {
        if (screen === "admin") {
            adminLoader.item.takeCard(code)
            return
        }
        goIdle()
        identifyByCard(code)
    }

    function identifyByCard(code) {
        // A fresh picture for the photograph of the coming entrance.
        camCtrl.updatePicture()
        // A card read is a card, also when its code looks like a personal number.
        var uid = manPrerus.overKartu(code)
        if (uid > 0) {
            startEntrance(uid)
            return
        }
        if (showPeopleUnreadable(uid))
            return
        unknownCard = code
        unknownCardTime = new Date()
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
        if (showPeopleUnreadable(uid))
            return false
        showMessage(qsTr("This personal number is not registered."), "error")
        play("nid")
        return false
    }

    // A negative uid: the people could not be read, a fault of the terminal and not of the card.
    function showPeopleUnreadable(uid) {
        if (uid >= 0)
            return false
        showMessage(qsTr("The terminal cannot record now."), "error")
        play("dlge")
        return true
    }

    function openAdministration() {
        screen = "setup"
        setupLoader.load().open()
    }

    function enterAdministration() {
        // A wrong PIN before the right one is over.
        if (banner.kind === "error")
            banner.hide()
        screen = "admin"
        adminLoader.load()
    }

    Connections {
        target: kioskInput
        function onActivity() { root.activity() }
        function onCardRead(code) { root.cardRead(code) }
    }

    Timer {
        interval: 1000
        running: true
        repeat: true
        onTriggered: root.now = new Date()
    }

    Timer {
        id: saverTimer
        interval: uiSettings.screenSaverDelay * 1000
        running: true
        onTriggered: {
            // The administration stays while a copy it started runs.
            if (root.screen === "admin" && usbCopyStatus.copying) {
                restart()
                return
            }
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
        document: "PinScreen.qml"
        screenProperties: ({ ui: root })
    }

    ScreenLoader {
        id: entranceLoader
        visible: root.screen === "entrance"
        document: "EntranceScreen.qml"
        screenProperties: ({ objectName: "entranceScreen", ui: root })
    }

    ScreenLoader {
        id: setupLoader
        visible: root.screen === "setup"
        document: "SetupGate.qml"
        screenProperties: ({ ui: root })
    }

    Connections {
        target: setupLoader.item
        function onGranted() { root.enterAdministration() }
        function onFinished() { root.goIdle() }
    }

    // The entrance screen is wanted within seconds of any card: build it as soon
    // as the idle screen is shown.
    Timer {
        interval: 300
        running: true
        onTriggered: entranceLoader.preload()
    }

    ScreenLoader {
        id: adminLoader
        visible: root.screen === "admin"
        document: "AdminScreen.qml"
        screenProperties: ({ objectName: "adminScreen", ui: root })
        onLoaded: item.forceActiveFocus()
    }

    Connections {
        target: adminLoader.item
        function onClosed() { root.goIdle() }
    }

    UsbCopyStatus {
        id: usbCopyStatus
        objectName: "usbCopyStatus"
        anchors.top: parent.top
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.topMargin: Theme.px(8)
        ui: root
        visible: copying && root.screen !== "admin"
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

    MouseArea {
        anchors.fill: parent
        propagateComposedEvents: true
        onPressed: mouse.accepted = root.waking
    }
}
