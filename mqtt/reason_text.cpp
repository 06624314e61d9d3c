#include "mqtt/reason_text.h"

#include <mosquitto.h>

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
        default:
            return mosquitto_strerror(rc);
    }
}

std::string RefusalText(int connack) {
    switch (connack) {
        case 1:
            return "брокер не поддерживает эту версию протокола";
        case 2:
            return "брокер отверг имя клиента";
        case 3:
            return "брокер недоступен";
        case 4:
            return "неверное имя пользователя или пароль";
        case 5:
            return "нет прав на вход";
        default:
            return mosquitto_connack_string(connack);
    }
}

}  // namespace mqtt
