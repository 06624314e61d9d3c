#include "mqtt/reason_text.h"

#include <mosquitto.h>
#include <mqtt_protocol.h>

#include <cerrno>

#include "common/system_error_text.h"

namespace mqtt {

namespace {

std::string SystemText(int error) {
    switch (error) {
        case ECONNREFUSED:
            return "в соединении отказано (брокер не запущен?)";
        case ETIMEDOUT:
            return "брокер не ответил вовремя";
        case EHOSTUNREACH:
            return "узел брокера недоступен";
        case ENOTCONN:
            return "соединение не установлено";
        case EPROTO:  // what the library leaves in errno when OpenSSL fails
            return "ошибка TLS";
        default:
            return text::SystemErrorText(error);
    }
}

}  // namespace

std::string ReasonText(int rc, int error) {
    switch (rc) {
        case MOSQ_ERR_ERRNO:
            return SystemText(error);
        case MOSQ_ERR_CONN_LOST:
            return "соединение разорвано";
        case MOSQ_ERR_NO_CONN:
            return "нет соединения";
        case MOSQ_ERR_CONN_REFUSED:
            return "брокер отказал в соединении";
        case MOSQ_ERR_TLS:
        case MOSQ_ERR_TLS_HANDSHAKE:
            return "ошибка TLS";
        case MOSQ_ERR_KEEPALIVE:
        case MOSQ_ERR_TIMEOUT:
            return "брокер не отвечает";
        case MOSQ_ERR_EAI:
        case MOSQ_ERR_LOOKUP:
            return "адрес брокера не найден";
        case MOSQ_ERR_PROTOCOL:
        case MOSQ_ERR_MALFORMED_PACKET:
            return "нарушен протокол MQTT";
        case MOSQ_ERR_NOMEM:
            return "не хватает памяти";
        case MOSQ_ERR_INVAL:
            return "недопустимые параметры";
        case MOSQ_ERR_NOT_SUPPORTED:
            return "не поддерживается библиотекой MQTT";
        case MOSQ_ERR_PAYLOAD_SIZE:
        case MOSQ_ERR_OVERSIZE_PACKET:
            return "сообщение слишком велико";
        case MOSQ_ERR_AUTH:
            return "ошибка проверки подлинности";
        case MOSQ_ERR_ACL_DENIED:
            return "нет прав";
        default:
            return mosquitto_strerror(rc);
    }
}

std::string RefusalText(int reason) {
    switch (reason) {
        case 1:
        case MQTT_RC_UNSUPPORTED_PROTOCOL_VERSION:
            return "брокер не поддерживает эту версию протокола";
        case 2:
        case MQTT_RC_CLIENTID_NOT_VALID:
            return "брокер отверг имя клиента";
        case 3:
        case MQTT_RC_SERVER_UNAVAILABLE:
            return "брокер недоступен";
        case MQTT_RC_SERVER_BUSY:
            return "брокер занят";
        case 4:
        case MQTT_RC_BAD_USERNAME_OR_PASSWORD:
            return "неверное имя пользователя или пароль";
        case 5:
        case MQTT_RC_NOT_AUTHORIZED:
            return "нет прав на вход";
        case MQTT_RC_BANNED:
            return "вход запрещён брокером";
        default:
            return mosquitto_reason_string(reason);
    }
}

std::string DisconnectText(int reason) {
    switch (reason) {
        case MQTT_RC_SESSION_TAKEN_OVER:
            return "имя клиента занято другим подключением";
        case MQTT_RC_SERVER_SHUTTING_DOWN:
            return "брокер завершает работу";
        case MQTT_RC_KEEP_ALIVE_TIMEOUT:
            return "брокер не дождался сообщений от программы";
        case MQTT_RC_NOT_AUTHORIZED:
            return "нет прав";
        case MQTT_RC_SERVER_BUSY:
            return "брокер занят";
        default:
            return "брокер разорвал соединение: " + std::string(mosquitto_reason_string(reason));
    }
}

}  // namespace mqtt
